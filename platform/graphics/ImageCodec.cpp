#include "platform/graphics/ImageCodec.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodecInternal.h"

#include <cairo.h>
#include <png.h>

#include <algorithm>
#include <cstring>

namespace pf {

namespace codec {

Error tooLarge(std::uint64_t width, std::uint64_t height)
{
    return error(ImageCodecError::TooLarge,
                 "picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large");
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
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    image.format = PNG_FORMAT_BGRA;
#else
    image.format = PNG_FORMAT_ARGB;
#endif
    auto created = Bitmap::create(int(image.width), int(image.height), scale);
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

    // The drawing library keeps premultiplied alpha.
    for (std::uint32_t y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (std::uint32_t x = 0; x < image.width; ++x) {
            std::uint32_t argb = row[x];
            std::uint32_t a = argb >> 24;
            if (a == 255)
                continue;
            auto premultiply = [a](std::uint32_t v) { return ((v & 0xff) * a + 127) / 255; };
            row[x] = a << 24 | premultiply(argb >> 16) << 16 | premultiply(argb >> 8) << 8 | premultiply(argb);
        }
    }
    cairo_surface_mark_dirty(surface);
    return created;
}

}

ImageFormat sniffImageFormat(const std::uint8_t* bytes, std::size_t length)
{
    static const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!bytes)
        return ImageFormat::Unknown;
    if (length >= sizeof png && std::memcmp(bytes, png, sizeof png) == 0)
        return ImageFormat::Png;
    if (length >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff)
        return ImageFormat::Jpeg;
    if (length >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0))
        return ImageFormat::Gif;
    return ImageFormat::Unknown;
}

ErrorOr<BitmapRef> decodeImage(const std::uint8_t* bytes, std::size_t length, double scale)
{
    switch (sniffImageFormat(bytes, length)) {
    case ImageFormat::Png:
        return codec::decodePng(bytes, length, scale);
    case ImageFormat::Jpeg:
        return codec::decodeJpeg(bytes, length, scale);
    case ImageFormat::Gif: {
        auto frames = codec::decodeGif(bytes, length, scale, 1);
        if (!frames)
            return frames.error();
        return frames.value().front().bitmap;
    }
    case ImageFormat::Unknown:
        break;
    }
    return codec::error(ImageCodecError::UnknownFormat, "not a PNG, JPEG or GIF picture");
}

ErrorOr<std::vector<ImageFrame>> decodeImageFrames(const std::uint8_t* bytes, std::size_t length, double scale,
                                                   std::size_t maxFrames)
{
    if (maxFrames == 0)
        return std::vector<ImageFrame>{};
    if (sniffImageFormat(bytes, length) == ImageFormat::Gif)
        return codec::decodeGif(bytes, length, scale, std::min(maxFrames, maxDecodedFrames));
    auto single = decodeImage(bytes, length, scale);
    if (!single)
        return single.error();
    return std::vector<ImageFrame>{ImageFrame{single.value(), 0}};
}

}
