// PNG through libpng. Pictures of 8 bits per channel go through the
// simplified reader straight into the surface. Those of 16 bits go through
// the classic reader: the simplified one garbles interlaced 16-bit files and
// takes 16-bit files without colour-space chunks for linear light.
//
// The classic reader reports fatal errors with longjmp to the setjmp in
// readSixteenBit, whose frame (and libpng's C frames) hold only trivially
// destructible objects; everything that owns memory lives in the caller.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodecInternal.h"

#include <cairo.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace pf::codec {

namespace {

struct PngSource {
    const std::uint8_t* bytes;
    std::size_t length;
    std::size_t offset;
    char message[200];
};

void readFromMemory(png_structp png, png_bytep out, png_size_t wanted)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->length - source->offset < wanted)
        png_error(png, "data ends early");
    std::memcpy(out, source->bytes + source->offset, wanted);
    source->offset += wanted;
}

void failWithMessage(png_structp png, png_const_charp message)
{
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Jump target: reads the whole picture as 8-bit, straight-alpha surface
// words (B, G, R, A in memory on little-endian machines), colours in sRGB.
bool readSixteenBit(png_structp png, png_infop info, std::vector<png_bytep>& rows, unsigned char* data, int stride)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int colorType = png_get_color_type(png, info);
    // A file without gAMA or sRGB is taken as sRGB already, as for 8 bits.
    png_set_alpha_mode(png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
    png_set_expand(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    png_set_scale_16(png);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    png_set_bgr(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
#else
    png_set_add_alpha(png, 0xff, PNG_FILLER_BEFORE);
    png_set_swap_alpha(png);
#endif
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) > png_size_t(stride))
        png_error(png, "unexpected row size");
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = data + std::size_t(y) * std::size_t(stride);
    png_read_image(png, rows.data());
    return true;
}

ErrorOr<BitmapRef> decodeSixteenBit(const std::uint8_t* bytes, std::size_t length, png_uint_32 width,
                                    png_uint_32 height, double scale)
{
    auto created = Bitmap::create(int(width), int(height), scale);
    if (!created)
        return created;
    cairo_surface_t* surface = created.value()->surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);

    PngSource source{bytes, length, 0, "unreadable data"};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, failWithMessage, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return error(ImageCodecError::Corrupt, "PNG: out of memory");
    }
    png_set_read_fn(png, &source, readFromMemory);
    std::vector<png_bytep> rows;
    bool ok = readSixteenBit(png, info, rows, data, stride);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        return error(ImageCodecError::Corrupt, std::string("PNG: ") + source.message);
    return created;
}

// The drawing library keeps premultiplied alpha.
void premultiply(cairo_surface_t* surface)
{
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            std::uint32_t argb = row[x];
            std::uint32_t a = argb >> 24;
            if (a == 255)
                continue;
            auto times = [a](std::uint32_t v) { return ((v & 0xff) * a + 127) / 255; };
            row[x] = a << 24 | times(argb >> 16) << 16 | times(argb >> 8) << 8 | times(argb);
        }
    }
}

}

ErrorOr<BitmapRef> decodePng(const std::uint8_t* bytes, std::size_t length, double scale)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    // The simplified interface keeps libpng's error jumps inside libpng and
    // reports failures through its return value and `message`.
    if (!png_image_begin_read_from_memory(&image, bytes, length)) {
        Error failure = error(ImageCodecError::Corrupt, std::string("PNG: ") + image.message);
        png_image_free(&image);
        return failure;
    }
    if (!fitsPixelLimit(image.width, image.height)) {
        png_image_free(&image);
        return tooLarge(image.width, image.height);
    }
    ErrorOr<BitmapRef> created = Error{};
    if (image.format & PNG_FORMAT_FLAG_LINEAR) {
        png_image_free(&image);
        created = decodeSixteenBit(bytes, length, image.width, image.height, scale);
        if (!created)
            return created;
    } else {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        image.format = PNG_FORMAT_BGRA;
#else
        image.format = PNG_FORMAT_ARGB;
#endif
        created = Bitmap::create(int(image.width), int(image.height), scale);
        if (!created) {
            png_image_free(&image);
            return created;
        }
        cairo_surface_t* surface = created.value()->surface();
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        int stride = cairo_image_surface_get_stride(surface);
        if (!png_image_finish_read(&image, nullptr, data, stride, nullptr)) {
            Error failure = error(ImageCodecError::Corrupt, std::string("PNG: ") + image.message);
            png_image_free(&image);
            return failure;
        }
        png_image_free(&image);
    }
    premultiply(created.value()->surface());
    cairo_surface_mark_dirty(created.value()->surface());
    return created;
}

}
