#include "graphics/surface/dibx.hpp"

#include <algorithm>
#include <cstring>

#include "graphics/surface/pixelview.hpp"

namespace ruvo {

TDIBX::TDIBX() : storage_(std::make_shared<TDIBSurface>()) {}

TDIBX::TDIBX(std::shared_ptr<TDIBSurface> storage) : storage_(std::move(storage)) {
    if (!storage_)
        storage_ = std::make_shared<TDIBSurface>();
    Width = storage_->Width();
    Height = storage_->Height();
}

void TDIBX::SetBitCount(int bitCount) {
    Unshare();
    storage_->SetBitCount(bitCount);
}

uint32_t TDIBX::GetPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return 0;
    return ReadPixel(storage_->TopRow() + ptrdiff_t(y) * storage_->RowStride(), x, GetStorageBitCount());
}

void TDIBX::SetPixel(int32_t x, int32_t y, uint32_t pixel) {
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return;
    Unshare();
    WritePixel(storage_->TopRow() + ptrdiff_t(y) * storage_->RowStride(), x, GetStorageBitCount(), pixel);
}

void TDIBX::SetSize(int32_t width, int32_t height, int bitCount) {
    if (storage_.use_count() > 1)
        storage_ = std::make_shared<TDIBSurface>();
    storage_->SetSize(width, height, bitCount);
    Width = width;
    Height = height;
    ClipRect = TRect{};
}

uint8_t* TDIBX::LockPixel(int32_t x, int32_t y) {
    if (IsEmpty())
        return nullptr;
    uint8_t* row = storage_->TopRow() + ptrdiff_t(y) * storage_->RowStride();
    return row + ptrdiff_t(x) * GetStorageBitCount() / 8;
}

int32_t TDIBX::ColorToPixel(int32_t colour) {
    if (colour < 0)
        return -1;
    if (GetBitCount() <= 8)
        return colour;
    return int32_t(ColorToChannels(storage_->Format(), uint32_t(colour)));
}

void TDIBX::Clear(uint32_t pixel) {
    if (IsEmpty())
        return;
    Unshare();
    uint8_t* bits = storage_->Bits();
    const size_t size = storage_->ImageSize();
    switch (GetStorageBitCount()) {
    case 1: std::memset(bits, pixel ? 0xFF : 0, size); break;
    case 4: std::memset(bits, int((pixel & 15) * 0x11), size); break;
    case 8: std::memset(bits, int(pixel & 0xFF), size); break;
    case 16: std::fill_n(reinterpret_cast<uint16_t*>(bits), size / 2, uint16_t(pixel)); break;
    case 32: std::fill_n(reinterpret_cast<uint32_t*>(bits), size / 4, pixel); break;
    default:  // 24 bits: pixel by pixel, rows carry padding
        for (int32_t y = 0; y < Height; ++y) {
            uint8_t* row = storage_->TopRow() + ptrdiff_t(y) * storage_->RowStride();
            for (int32_t x = 0; x < Width; ++x)
                WritePixel(row, x, 24, pixel);
        }
        break;
    }
}

void TDIBX::Assign(TCustomDIBX& source) {
    if (&source == this)
        return;
    auto* dib = dynamic_cast<TDIBX*>(&source);
    if (dib && dib->Width == Width && dib->Height == Height && dib->GetRowStride() == GetRowStride() &&
        dib->GetBitCount() == GetBitCount()) {
        Unshare();
        std::memcpy(storage_->Bits(), dib->storage_->Bits(), storage_->ImageSize());
        return;
    }
    TCustomDIBX::Assign(source);
}

void TDIBX::Release() {
    if (storage_.use_count() > 1)
        storage_ = std::make_shared<TDIBSurface>();
    storage_->SetSize(8, 8, storage_->BitCount());
    Width = 0;
    Height = 0;
    ClipRect = TRect{};
}

void TDIBX::GetPalette(std::array<TRGBQuad, 256>& out) { out = storage_->Palette(); }

void TDIBX::GetPaletteEntries(TRGBQuad* out, int first, int count) {
    first = std::clamp(first, 0, 256);
    count = std::clamp(count, 0, 256 - first);
    std::copy_n(storage_->Palette().begin() + first, count, out);
}

void TDIBX::SetPalette(const std::array<TRGBQuad, 256>& palette) {
    Unshare();
    storage_->Palette() = palette;
}

void TDIBX::SetPaletteEntries(const TRGBQuad* entries, int first, int count) {
    first = std::clamp(first, 0, 256);
    count = std::clamp(count, 0, 256 - first);
    Unshare();
    std::copy_n(entries, count, storage_->Palette().begin() + first);
}

void TDIBX::Unshare() {
    if (storage_.use_count() > 1)
        storage_ = std::make_shared<TDIBSurface>(*storage_);
}

void TDIBX::ShareStorage(const TDIBX& other) {
    if (&other == this)
        return;
    storage_ = other.storage_;
    Width = other.Width;
    Height = other.Height;
    ClipRect = TRect{};
}

} // namespace ruvo
