#pragma once

// Decoded pictures of the bundle images that style values name, kept by file
// so that redrawing does not decode again. A "name@2x.png" beside
// "name.png" is preferred, with a scale of 2 as the screen has.
//
// Main queue only, but for hasPicture (any thread).

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
    // Whether the picture file exists, as named or as its double-scale twin.
    // Bundle files stay while the program runs, so a path found is
    // remembered (a bounded set) until removeAll; one missing is looked for
    // again, as it may be added later.
    static bool hasPicture(const std::string& path);
    // The bitmap of a style value's picture, or null.
    static pf::BitmapRef bitmapForImage(const KRImage& image);
    // Drops every kept picture and what hasPicture remembers (a memory
    // warning, a test).
    static void removeAll();
};
