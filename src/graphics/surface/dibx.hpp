#pragma once
// The memory surface: pixels in a device-independent bitmap held in process memory. Storage may be
// shared between surfaces (a copy shares until one of them writes).
#include <memory>

#include "graphics/surface/customdibx.hpp"
#include "graphics/surface/dibsurface.hpp"

namespace ruvo {

class TDIBX : public TCustomDIBX {
public:
    TDIBX();
    // A surface over existing storage, shared with whoever else holds it.
    explicit TDIBX(std::shared_ptr<TDIBSurface> storage);

    int GetBitCount() const override { return storage_->BitCount(); }
    void SetBitCount(int bitCount) override;
    uint32_t GetRMask() const override { return storage_->Format().RMask; }
    uint32_t GetGMask() const override { return storage_->Format().GMask; }
    uint32_t GetBMask() const override { return storage_->Format().BMask; }
    ptrdiff_t GetRowStride() const override { return storage_->RowStride(); }
    uint32_t GetPixel(int32_t x, int32_t y) override;
    void SetPixel(int32_t x, int32_t y, uint32_t pixel) override;
    int GetBShift() const override { return storage_->Format().BShift; }
    int GetGShift() const override { return storage_->Format().GShift; }
    int GetRShift() const override { return storage_->Format().RShift; }
    int GetStorageBitCount() const override { return storage_->Format().StorageBits(); }
    void SetSize(int32_t width, int32_t height, int bitCount) override;
    uint8_t* LockPixel(int32_t x, int32_t y) override;
    int32_t ColorToPixel(int32_t colour) override;
    void Clear(uint32_t pixel) override;
    void Assign(TCustomDIBX& source) override;
    void Release() override;
    void GetPalette(std::array<TRGBQuad, 256>& out) override;
    void GetPaletteEntries(TRGBQuad* out, int first, int count) override;
    void SetPalette(const std::array<TRGBQuad, 256>& palette) override;
    void SetPaletteEntries(const TRGBQuad* entries, int first, int count) override;
    void Unshare() override;

    // The storage, for readers that fill it and for sharing it with another surface.
    const std::shared_ptr<TDIBSurface>& Storage() const noexcept { return storage_; }
    // Shares the other surface's storage (and size); the first write on either side separates them.
    void ShareStorage(const TDIBX& other);

private:
    std::shared_ptr<TDIBSurface> storage_;
};

} // namespace ruvo
