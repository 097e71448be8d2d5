#pragma once

// A picture found in a bundle: its file and its stretch caps. Decoding and
// drawing belong to the drawing layer. Caps of 0 mean a plain picture; a
// non-zero left cap width or top cap height makes it stretch around them.

#include <string>

struct KRImage {
    std::string path;
    int leftCapWidth = 0;
    int topCapHeight = 0;

    bool isStretchable() const { return leftCapWidth != 0 || topCapHeight != 0; }
    bool operator==(const KRImage&) const = default;
};
