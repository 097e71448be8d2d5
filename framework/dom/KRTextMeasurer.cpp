#include "framework/dom/KRTextMeasurer.h"

#include "framework/dom/KRFont.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace {

std::shared_ptr<const KRTextMeasurer>& installed()
{
    static std::shared_ptr<const KRTextMeasurer> measurer = std::make_shared<KRFixedTextMeasurer>();
    return measurer;
}

}

const KRTextMeasurer& KRTextMeasurer::current() { return *installed(); }

void KRTextMeasurer::setCurrent(std::shared_ptr<const KRTextMeasurer> measurer)
{
    installed() = measurer ? std::move(measurer) : std::make_shared<KRFixedTextMeasurer>();
}

KRFixedTextMeasurer::KRFixedTextMeasurer(double advance, double lineHeight, std::vector<std::string> families)
    : m_advance(advance)
    , m_lineHeight(lineHeight)
    , m_families(std::move(families))
{
}

bool KRFixedTextMeasurer::hasFontNamed(std::string_view family) const
{
    return std::find(m_families.begin(), m_families.end(), family) != m_families.end();
}

KRSize KRFixedTextMeasurer::sizeOfText(std::string_view text, const KRFont& font) const
{
    if (text.empty())
        return {};
    double widest = 0;
    std::size_t lines = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        widest = std::max(widest, double(pf::utf16Length(text.substr(start, end - start))));
        lines++;
        start = end + 1;
    }
    return {krClampFinite(widest * m_advance * font.size), krClampFinite(double(lines) * m_lineHeight * font.size)};
}
