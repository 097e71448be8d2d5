#pragma once

// Pictures of link previews: decoding with a size cap, and shrinking to fit
// a box before upload. Any thread; no state.

#include "platform/foundation/Forward.h"
#include "platform/graphics/Forward.h"

#include <cstdint>

// Pictures declaring more pixels than this are not decoded: a preview is a
// thumbnail, and a few bytes of header could otherwise ask for gigabytes.
inline constexpr std::uint64_t kZZApiMaxPreviewPixels = 50000000;

// The picture of PNG, JPEG or GIF bytes; null when they do not decode or
// declare more than kZZApiMaxPreviewPixels pixels.
pf::ImageRef ZZApiImageWithData(const pf::Bytes& data);

// The picture when it fits maxWidth x maxHeight pixels; otherwise a new one
// of at most that size: scaled so that its shorter side fits (never
// enlarged), centred, the longer side cropped. Null for no picture, a
// negative maximum, or a bitmap that cannot be made.
pf::ImageRef ZZApiScaledImage(const pf::ImageRef& image, double maxWidth, double maxHeight);
