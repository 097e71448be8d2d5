#include "platform/graphics/ImageCodec.h"

#include "platform/graphics/ImageCodecInternal.h"

#include <algorithm>
#include <cstring>

namespace pf {

namespace codec {

Error tooLarge(std::uint64_t width, std::uint64_t height)
{
    return error(ImageCodecError::TooLarge,
                 "picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large");
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
