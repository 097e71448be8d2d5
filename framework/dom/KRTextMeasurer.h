#pragma once

// Text measurement and the font catalogue behind the markup engine. The
// drawing layer installs a measurer over its text layout; until then, and in
// layout tests, fixed metrics answer, so that layout numbers do not depend
// on the fonts of the machine. Main queue only.

#include "framework/dom/KRGeometry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct KRFont;

class KRTextMeasurer {
public:
    virtual ~KRTextMeasurer() = default;

    // True when a font of that family name can be used.
    virtual bool hasFontNamed(std::string_view family) const = 0;
    // The size of the text set in the font, line feeds starting new lines.
    virtual KRSize sizeOfText(std::string_view text, const KRFont& font) const = 0;

    // The installed measurer (fixed metrics by default). Installing null
    // restores the default.
    static const KRTextMeasurer& current();
    static void setCurrent(std::shared_ptr<const KRTextMeasurer> measurer);
};

// Every UTF-16 unit advances `advance` times the font size; a line is
// `lineHeight` times the size high. Only the listed families exist.
class KRFixedTextMeasurer final : public KRTextMeasurer {
public:
    explicit KRFixedTextMeasurer(double advance = 0.5, double lineHeight = 1.2, std::vector<std::string> families = {});

    bool hasFontNamed(std::string_view family) const override;
    KRSize sizeOfText(std::string_view text, const KRFont& font) const override;

private:
    double m_advance = 0.5;
    double m_lineHeight = 1.2;
    std::vector<std::string> m_families;
};
