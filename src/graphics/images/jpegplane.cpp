#include "graphics/images/jpegplane.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "archive/errors.hpp"
#include "graphics/surface/pixelview.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the setjmp of
// the function that called the library. Nothing with a destructor lives between the two.
struct TJpegErrors {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    bool Truncated;
};

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->Message);
    std::longjmp(errors->Jump, 1);
}

// Warnings are not printed; a stream that ends early is remembered, since libjpeg would fill the rest of
// the picture with grey and call it a success.
void EmitMessage(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        errors->Truncated = true;
}

void InitErrors(TJpegErrors& errors) {
    jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = ErrorExit;
    errors.Manager.emit_message = EmitMessage;
    errors.Message[0] = 0;
    errors.Truncated = false;
}

// A progressive stream may hold any number of scans, each a pass over the whole picture; real pictures
// have a dozen at most.
constexpr int kMaxScans = 200;

void CountScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
        std::snprintf(errors->Message, sizeof errors->Message, "more than %d scans", kMaxScans);
        std::longjmp(errors->Jump, 1);
    }
}

enum class TDecodeResult { Done, Failed, WrongSize };

// Rows go straight into the storage at 24 and 32 bits; other formats pass through the row buffer
// (3 bytes per pixel) and are converted pixel by pixel.
TDecodeResult DecodeInto(jpeg_decompress_struct& info, TJpegErrors& errors, jpeg_progress_mgr& progress,
                         const uint8_t* data, size_t size, TDIBSurface& plane, uint8_t* rowBuffer) {
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&info);
        return TDecodeResult::Failed;
    }
    jpeg_create_decompress(&info);
    progress.progress_monitor = CountScans;
    info.progress = &progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (int64_t(info.image_width) != plane.Width() || int64_t(info.image_height) != plane.Height()) {
        jpeg_destroy_decompress(&info);
        return TDecodeResult::WrongSize;
    }
    const int bits = plane.Format().StorageBits();
    const bool direct = bits == 24 || bits == 32;
    info.out_color_space = bits == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        const int32_t y = int32_t(info.output_scanline);
        JSAMPROW row = direct ? plane.Row(y) : rowBuffer;
        jpeg_read_scanlines(&info, &row, 1);
        if (!direct)
            for (int32_t x = 0; x < plane.Width(); ++x) {
                const uint8_t* bgr = rowBuffer + 3 * x;
                WritePixel(plane.Row(y), x, bits, PixelOfColour(plane, MakeColor(bgr[2], bgr[1], bgr[0])));
            }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return TDecodeResult::Done;
}

bool EncodeFrom(jpeg_compress_struct& info, TJpegErrors& errors, const TDIBSurface& plane, int quality,
                uint8_t* rowBuffer, unsigned char** out, unsigned long* outSize) {
    if (setjmp(errors.Jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = JDIMENSION(plane.Width());
    info.image_height = JDIMENSION(plane.Height());
    const int bits = plane.Format().StorageBits();
    const bool direct = bits == 24 || bits == 32;
    info.input_components = bits == 32 ? 4 : 3;
    info.in_color_space = bits == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const int32_t y = int32_t(info.next_scanline);
        if (!direct)
            for (int32_t x = 0; x < plane.Width(); ++x) {
                const uint32_t c = ColourOfPixel(plane, ReadPixel(plane.Row(y), x, bits));
                rowBuffer[3 * x] = ColorBlue(c), rowBuffer[3 * x + 1] = ColorGreen(c), rowBuffer[3 * x + 2] = ColorRed(c);
            }
        JSAMPROW row = direct ? const_cast<uint8_t*>(plane.Row(y)) : rowBuffer;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

[[noreturn]] void JpegFailed(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("JPEG データが壊れています").AddContext(why));
}

} // namespace

void DecodeJpegPlane(std::span<const uint8_t> jpeg, TDIBSurface& plane) {
    jpeg_decompress_struct info;
    TJpegErrors errors;
    InitErrors(errors);
    info.err = &errors.Manager;
    jpeg_progress_mgr progress{};
    std::vector<uint8_t> rowBuffer(size_t(plane.Width()) * 3);
    switch (DecodeInto(info, errors, progress, jpeg.data(), jpeg.size(), plane, rowBuffer.data())) {
    case TDecodeResult::Done:
        if (errors.Truncated)
            JpegFailed("the stream ends before the picture does");
        return;
    case TDecodeResult::WrongSize:
        JpegFailed("the stream's picture size differs from the frame's " + std::to_string(plane.Width()) + " x " +
                   std::to_string(plane.Height()));
    case TDecodeResult::Failed: JpegFailed(errors.Message);
    }
}

std::vector<uint8_t> EncodeJpegPlane(const TDIBSurface& plane, int quality) {
    jpeg_compress_struct info;
    TJpegErrors errors;
    InitErrors(errors);
    info.err = &errors.Manager;
    std::vector<uint8_t> rowBuffer(size_t(plane.Width()) * 3);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool done = EncodeFrom(info, errors, plane, std::clamp(quality, 1, 100), rowBuffer.data(), &buffer, &size);
    std::vector<uint8_t> out;
    if (done)
        out.assign(buffer, buffer + size);
    std::free(buffer);
    if (!done)
        throw std::runtime_error(std::string("JPEG encoding failed: ") + errors.Message);
    return out;
}

} // namespace ruvo
