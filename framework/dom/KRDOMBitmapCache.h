#pragma once

// Decoded pictures of the bundle images that style values name, kept by file
// so that redrawing does not decode again. A "name@2x.png" beside "name.png"
// is preferred and has a scale of 2, as the screen has. PNG files only.
//
// Main queue only.

#include "platform/graphics/Forward.h"

#include <string>

struct KRImage;

class KRDOMBitmapCache {
public:
    // The decoded picture of the image's file; null (and a log line) when it
    // cannot be read.
    static pf::BitmapRef bitmapForImage(const KRImage& image);
    static pf::BitmapRef bitmapForPath(const std::string& path);
    // Drops every kept picture (a memory warning, a test).
    static void removeAll();
};
