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

namespace {

std::uint32_t bigEndian(const std::uint8_t* p, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; i++)
        value = (value << 8) | p[i];
    return value;
}

// Walks the JPEG's marker segments to the first start-of-frame.
std::optional<ImagePixelSize> jpegPixelSize(const std::uint8_t* bytes, std::size_t length)
{
    std::size_t at = 2;
    while (at + 4 <= length) {
        if (bytes[at] != 0xff)
            return std::nullopt;
        std::uint8_t marker = bytes[at + 1];
        if (marker == 0xff) { // fill byte
            at++;
            continue;
        }
        if (marker == 0xd8 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            at += 2;
            continue;
        }
        std::size_t segment = bigEndian(bytes + at + 2, 2);
        if (segment < 2)
            return std::nullopt;
        bool startOfFrame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (startOfFrame) {
            if (segment < 7 || at + 9 > length)
                return std::nullopt;
            return ImagePixelSize{bigEndian(bytes + at + 7, 2), bigEndian(bytes + at + 5, 2)};
        }
        if (marker == 0xd9 || marker == 0xda) // end of image, or scan data without a frame header
            return std::nullopt;
        at += 2 + segment;
    }
    return std::nullopt;
}

}

std::optional<ImagePixelSize> imagePixelSize(const std::uint8_t* bytes, std::size_t length)
{
    switch (sniffImageFormat(bytes, length)) {
    case ImageFormat::Png:
        // The signature, then the IHDR chunk: length, type, width, height.
        if (length < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
            return std::nullopt;
        return ImagePixelSize{bigEndian(bytes + 16, 4), bigEndian(bytes + 20, 4)};
    case ImageFormat::Jpeg:
        return jpegPixelSize(bytes, length);
    case ImageFormat::Gif:
        if (length < 10)
            return std::nullopt;
        return ImagePixelSize{std::uint32_t(bytes[6] | bytes[7] << 8), std::uint32_t(bytes[8] | bytes[9] << 8)};
    case ImageFormat::Unknown:
        break;
    }
    return std::nullopt;
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
