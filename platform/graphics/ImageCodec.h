#pragma once

// Decoding PNG, JPEG and GIF bytes into bitmaps, and encoding a bitmap as
// JPEG. Any thread; no state between calls.
//
// Decoding never trusts the sizes a file declares: a picture (or a GIF
// canvas, or one GIF frame) of more than maxDecodedPixels pixels, or wider or
// taller than a drawing surface can be, is refused before anything is
// allocated for it, and the frames of an animated GIF together may not
// exceed maxDecodedPixels either. A decode's memory stays within about one
// and a half times that many pixels; an animation that would need more keeps
// its first frames and logs what it dropped. Damaged data is an error,
// never a crash; a JPEG whose data ends early keeps the rows that were read,
// as the platform's decoders do.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"
#include "platform/graphics/Forward.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pf {

enum class ImageFormat { Unknown, Png, Jpeg, Gif };

// Errors of the domain "pf::ImageCodec" use these codes.
enum class ImageCodecError : long long {
    UnknownFormat = 1, // not a PNG, JPEG or GIF signature
    TooLarge = 2,      // over maxDecodedPixels
    Corrupt = 3,       // the library could not read the data
    Unsupported = 4,   // well-formed, but nothing we can show (no colours)
    EncodeFailed = 5,
};
inline constexpr const char* imageCodecErrorDomain = "pf::ImageCodec";
inline constexpr std::uint64_t maxDecodedPixels = 8192ull * 8192ull;
// Longer animations keep their first frames only.
inline constexpr std::size_t maxDecodedFrames = 4096;

// Judged by the first bytes only.
ImageFormat sniffImageFormat(const std::uint8_t* bytes, std::size_t length);

// One frame of an animated picture: the whole canvas as it shows at that
// moment, and how long it shows (seconds; 0 when the file gives no delay,
// which players treat as their own default).
struct ImageFrame {
    BitmapRef bitmap;
    double delay = 0;
};

// The pixel width and height a PNG, JPEG or GIF declares in its header (a
// GIF's logical screen), read without decoding anything, so a caller can
// refuse a picture by its size before paying for it. Nothing when the
// header is not there or not readable; the size is as declared, not checked
// against the data that follows.
struct ImagePixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
std::optional<ImagePixelSize> imagePixelSize(const std::uint8_t* bytes, std::size_t length);

// The first (or only) frame of the picture, with `scale` pixels per point.
ErrorOr<BitmapRef> decodeImage(const std::uint8_t* bytes, std::size_t length, double scale = 1);

// Every frame of a GIF (other formats give their one frame with delay 0),
// at most `maxFrames` (and never more than maxDecodedFrames) of them.
ErrorOr<std::vector<ImageFrame>> decodeImageFrames(const std::uint8_t* bytes, std::size_t length, double scale = 1,
                                                   std::size_t maxFrames = SIZE_MAX);

// JPEG bytes of the bitmap at `quality` from 0 (smallest) to 1 (best). JPEG
// has no transparency: transparent parts come out black.
ErrorOr<Bytes> encodeJpeg(const Bitmap& bitmap, double quality);

}
