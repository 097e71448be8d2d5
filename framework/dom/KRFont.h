#pragma once

// A font description: a family name (empty for the system font), a point
// size and a trait. The drawing layer picks the matching face.

#include <string>

enum class KRFontTrait { Regular, Bold, Italic };

struct KRFont {
    std::string family; // empty: the system font
    double size = 14;
    KRFontTrait trait = KRFontTrait::Regular;

    bool isSystem() const { return family.empty(); }
    static KRFont system(double size, KRFontTrait trait = KRFontTrait::Regular) { return {{}, size, trait}; }
    bool operator==(const KRFont&) const = default;
};
