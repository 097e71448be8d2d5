#pragma once

// Shared by the codec sources of this folder; not for other libraries.

#include "platform/graphics/ImageCodec.h"

#include <cstdint>
#include <string>

namespace pf::codec {

inline Error error(ImageCodecError code, std::string description)
{
    return Error{imageCodecErrorDomain, static_cast<long long>(code), std::move(description)};
}

inline bool fitsPixelLimit(std::uint64_t width, std::uint64_t height)
{
    return width > 0 && height > 0 && width * height <= maxDecodedPixels;
}

Error tooLarge(std::uint64_t width, std::uint64_t height);

ErrorOr<BitmapRef> decodePng(const std::uint8_t* bytes, std::size_t length, double scale);
ErrorOr<BitmapRef> decodeJpeg(const std::uint8_t* bytes, std::size_t length, double scale);
ErrorOr<std::vector<ImageFrame>> decodeGif(const std::uint8_t* bytes, std::size_t length, double scale,
                                           std::size_t maxFrames);

}
