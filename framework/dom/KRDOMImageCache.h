#pragma once

// Decoded pictures of the bundle images that style values name, kept by file
// so that redrawing does not decode again. A "name@2x.png" beside
// "name.png" is preferred, with a scale of 2 as the screen has.
//
// Main queue only.

#include "platform/graphics/Forward.h"

#include <memory>
#include <string>

struct KRImage;

namespace pf {
class Image;
}

class KRDOMImageCache {
public:
    // The decoded picture of a file; null (and one log line) when it cannot
    // be read or decoded.
    static std::shared_ptr<pf::Image> imageForPath(const std::string& path);
    // The bitmap of a style value's picture, or null.
    static pf::BitmapRef bitmapForImage(const KRImage& image);
    // Drops every kept picture (a memory warning, a test).
    static void removeAll();
};
