// JPEG through libjpeg-turbo. The library reports fatal errors by calling an
// error-exit function that must not return; ours jumps back with longjmp. The
// jump targets are the small helpers below, whose frames (and the library's
// C frames in between) hold only trivially destructible objects, so no C++
// destructor is ever skipped. Everything that owns memory lives in the
// callers, outside the jumps.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodecInternal.h"

#include <cairo.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace pf {

namespace {

// Progressive files may repeat scans without end; real encoders use a few
// dozen. More than this is refused rather than decoded for minutes.
constexpr int kMaxProgressiveScans = 500;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegProgress {
    jpeg_progress_mgr pub;
    JpegErrorManager* errors;
};

[[noreturn]] void jumpOut(JpegErrorManager* errors)
{
    std::longjmp(errors->jump, 1);
}

void errorExit(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    jumpOut(errors);
}

// Warnings (corrupt data the library can step over) are not printed.
void outputMessage(j_common_ptr) {}

void progressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* progress = reinterpret_cast<JpegProgress*>(cinfo->progress);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxProgressiveScans) {
        std::snprintf(progress->errors->message, sizeof progress->errors->message, "too many progressive scans");
        jumpOut(progress->errors);
    }
}

void initErrors(JpegErrorManager& errors)
{
    std::memset(&errors, 0, sizeof errors);
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = errorExit;
    errors.pub.output_message = outputMessage;
}

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr J_COLOR_SPACE kSurfaceColorSpace = JCS_EXT_BGRA;
constexpr J_COLOR_SPACE kSurfaceInputColorSpace = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE kSurfaceColorSpace = JCS_EXT_ARGB;
constexpr J_COLOR_SPACE kSurfaceInputColorSpace = JCS_EXT_XRGB;
#endif

// Jump target: reads the header and settles the output format.
bool readHeader(jpeg_decompress_struct* cinfo, JpegErrorManager* errors, JpegProgress* progress,
                const std::uint8_t* bytes, std::size_t length)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(cinfo);
    progress->pub.progress_monitor = progressMonitor;
    progress->errors = errors;
    cinfo->progress = &progress->pub;
    jpeg_mem_src(cinfo, bytes, static_cast<unsigned long>(length));
    jpeg_read_header(cinfo, TRUE);
    // CMYK has four components, like the surface: it is decoded in place
    // and turned into colours afterwards.
    bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : kSurfaceColorSpace;
    jpeg_calc_output_dimensions(cinfo);
    return true;
}

// Jump target: decodes every row into the surface's pixels.
bool readRows(jpeg_decompress_struct* cinfo, JpegErrorManager* errors, unsigned char* data, int stride)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_start_decompress(cinfo);
    JSAMPROW rows[16];
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION count = 0;
        for (; count < 16 && cinfo->output_scanline + count < cinfo->output_height; ++count)
            rows[count] = data + std::size_t(cinfo->output_scanline + count) * stride;
        if (jpeg_read_scanlines(cinfo, rows, count) == 0)
            break;
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// Jump target: compresses the surface's pixels into a memory buffer that
// libjpeg allocates with malloc and the caller frees.
bool writeRows(jpeg_compress_struct* cinfo, JpegErrorManager* errors, const unsigned char* data, int stride, int width,
               int height, int quality, unsigned char** output, unsigned long* outputSize)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, output, outputSize);
    cinfo->image_width = JDIMENSION(width);
    cinfo->image_height = JDIMENSION(height);
    cinfo->input_components = 4;
    cinfo->in_color_space = kSurfaceInputColorSpace;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<unsigned char*>(data + std::size_t(cinfo->next_scanline) * stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

void cmykToSurface(unsigned char* data, int stride, int width, int height, bool inverted)
{
    for (int y = 0; y < height; ++y) {
        unsigned char* p = data + std::size_t(y) * stride;
        for (int x = 0; x < width; ++x, p += 4) {
            std::uint32_t c = p[0], m = p[1], yl = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                yl = 255 - yl;
                k = 255 - k;
            }
            std::uint32_t r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (yl * k + 127) / 255;
            *reinterpret_cast<std::uint32_t*>(p) = 0xffu << 24 | r << 16 | g << 8 | b;
        }
    }
}

}

namespace codec {

ErrorOr<BitmapRef> decodeJpeg(const std::uint8_t* bytes, std::size_t length, double scale)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrorManager errors;
    initErrors(errors);
    cinfo.err = &errors.pub;
    JpegProgress progress;
    std::memset(&progress, 0, sizeof progress);

    if (!readHeader(&cinfo, &errors, &progress, bytes, length)) {
        jpeg_destroy_decompress(&cinfo);
        return error(ImageCodecError::Corrupt, std::string("JPEG: ") + errors.message);
    }
    JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    if (!fitsPixelLimit(width, height) || cinfo.output_components != 4) {
        jpeg_destroy_decompress(&cinfo);
        if (cinfo.output_components != 4)
            return error(ImageCodecError::Unsupported, "JPEG: unsupported colour components");
        return tooLarge(width, height);
    }
    // Progressive and multi-scan files keep every coefficient of the picture
    // in memory; with the surface that must fit the decode's budget, or the
    // library refuses rather than allocating more.
    cinfo.mem->max_memory_to_use = long(decodeMemoryBudget - std::uint64_t(width) * height * 4);
    bool cmyk = cinfo.out_color_space == JCS_CMYK;
    auto created = Bitmap::create(int(width), int(height), scale);
    if (!created) {
        jpeg_destroy_decompress(&cinfo);
        return created;
    }
    cairo_surface_t* surface = created.value()->surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    bool ok = readRows(&cinfo, &errors, data, stride);
    bool adobeInverted = cinfo.saw_Adobe_marker;
    jpeg_destroy_decompress(&cinfo);
    if (!ok && errors.pub.msg_code == JERR_NO_BACKING_STORE)
        return error(ImageCodecError::TooLarge, "JPEG: decoding needs more memory than a picture may take");
    if (!ok)
        return error(ImageCodecError::Corrupt, std::string("JPEG: ") + errors.message);
    if (cmyk)
        cmykToSurface(data, stride, int(width), int(height), adobeInverted);
    cairo_surface_mark_dirty(surface);
    return created;
}

}

ErrorOr<Bytes> encodeJpeg(const Bitmap& bitmap, double quality)
{
    if (!(quality >= 0))
        quality = 0;
    if (quality > 1)
        quality = 1;
    cairo_surface_t* surface = bitmap.surface();
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (!data)
        return codec::error(ImageCodecError::EncodeFailed, "JPEG: the bitmap has no pixels");

    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrorManager errors;
    initErrors(errors);
    cinfo.err = &errors.pub;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    bool ok = writeRows(&cinfo, &errors, data, stride, bitmap.pixelWidth(), bitmap.pixelHeight(),
                        int(std::lround(quality * 100)), &output, &outputSize);
    jpeg_destroy_compress(&cinfo);
    if (!ok) {
        std::free(output);
        return codec::error(ImageCodecError::EncodeFailed, std::string("JPEG: ") + errors.message);
    }
    Bytes bytes(output, output + outputSize);
    std::free(output);
    return bytes;
}

}
