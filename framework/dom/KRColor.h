#pragma once

// An RGBA colour, each component in 0 ... 1. The drawing layer turns it into
// its own colour type.
struct KRColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static KRColor clear() { return {0, 0, 0, 0}; }
    bool operator==(const KRColor&) const = default;
};
