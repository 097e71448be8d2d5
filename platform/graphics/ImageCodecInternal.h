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

// The drawing surface takes at most this many pixels on a side.
inline constexpr std::uint64_t maxSurfaceSide = 32767;

// One decode's working memory (the library's own buffers, the canvas of an
// animation, its frames) stays within this many bytes.
inline constexpr std::uint64_t decodeMemoryBudget = maxDecodedPixels * 4 * 3 / 2;

inline bool fitsPixelLimit(std::uint64_t width, std::uint64_t height)
{
    return width > 0 && height > 0 && width <= maxSurfaceSide && height <= maxSurfaceSide &&
           width * height <= maxDecodedPixels;
}

Error tooLarge(std::uint64_t width, std::uint64_t height);

ErrorOr<BitmapRef> decodePng(const std::uint8_t* bytes, std::size_t length, double scale);
ErrorOr<BitmapRef> decodeJpeg(const std::uint8_t* bytes, std::size_t length, double scale);
ErrorOr<std::vector<ImageFrame>> decodeGif(const std::uint8_t* bytes, std::size_t length, double scale,
                                           std::size_t maxFrames);

}
