#include "platform/web/PageBudget.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace pf {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || static_cast<unsigned char>(c) >= 0x80
        || c == '\\';
}

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// The sheet without its comments.
std::string withoutComments(std::string_view css)
{
    std::string out;
    out.reserve(css.size());
    for (size_t i = 0; i < css.size();) {
        if (css.compare(i, 2, "/*") == 0) {
            size_t end = css.find("*/", i + 2);
            i = end == std::string_view::npos ? css.size() : end + 2;
            out += ' ';
            continue;
        }
        out += css[i++];
    }
    return out;
}

int count(const std::map<std::string, int>& counts, const std::string& key)
{
    auto it = counts.find(key);
    return it == counts.end() ? 0 : it->second;
}

}

PageBudget::PageBudget(const HtmlCensus& census) : m_census(census), m_restyles(census.mediaQueries)
{
    if (census.elements > kMaxPageElements)
        m_over = "the page has more than " + std::to_string(kMaxPageElements) + " elements";
    else if (census.textRuns > kMaxPageTextRuns)
        m_over = "the page's text has more than " + std::to_string(kMaxPageTextRuns) + " words";
    else if (census.textBytes > kMaxPageTextBytes)
        m_over = "the page's text is longer than " + std::to_string(kMaxPageTextBytes) + " bytes";
    else if (milliseconds() > kMaxPageMilliseconds)
        m_over = "the page has too many elements and too much text to lay out";
}

int PageBudget::candidates(std::string_view compound) const
{
    // The most selective simple selector bounds the elements the compound
    // can match; a universal one matches them all.
    int best = m_census.elements;
    size_t i = 0;
    auto name = [&](size_t from) {
        size_t end = from;
        while (end < compound.size() && isNameChar(compound[end]))
            ++end;
        return end;
    };
    if (i < compound.size() && isNameChar(compound[i])) {
        size_t end = name(i);
        best = std::min(best, count(m_census.tags, lower(compound.substr(i, end - i))));
        i = end;
    }
    while (i < compound.size()) {
        char c = compound[i];
        if (c == '#' || c == '.') {
            size_t end = name(i + 1);
            auto key = std::string(compound.substr(i + 1, end - i - 1));
            best = std::min(best, count(c == '#' ? m_census.ids : m_census.classes, key));
            i = std::max(end, i + 1);
        } else {
            ++i;
        }
    }
    return best;
}

double PageBudget::selectorCost(std::string_view text) const
{
    // Splits the selector into compounds at combinators; the matching walks
    // right to left.
    std::vector<std::string_view> compounds;
    std::vector<char> combinators;
    size_t start = 0;
    char pending = 0;
    auto flush = [&](size_t end) {
        auto part = trimmed(text.substr(start, end - start));
        if (!part.empty()) {
            if (!compounds.empty())
                combinators.push_back(pending ? pending : ' ');
            compounds.push_back(part);
            pending = 0;
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (isSpace(c) || c == '>' || c == '+' || c == '~') {
            flush(i);
            if (!isSpace(c))
                pending = c;
            start = i + 1;
        }
    }
    flush(text.size());
    if (compounds.empty())
        return 0;

    double siblings = std::max(1, m_census.maxChildren);
    double depth = std::max(1, m_census.depth);
    // A structural pseudo-class counts the element's siblings.
    auto compoundCost = [&](std::string_view compound) {
        std::string l = lower(compound);
        bool structural = l.find("-child") != std::string::npos || l.find("-of-type") != std::string::npos;
        return structural ? siblings : 1.0;
    };
    // Every element meets the rightmost compound; only its candidates go on.
    double cost = m_census.elements * compoundCost(compounds.back());
    double paths = candidates(compounds.back());
    for (size_t i = compounds.size() - 1; i-- > 0;) {
        char combinator = combinators[i];
        double fanOut = combinator == '>' ? 1 : combinator == ' ' ? depth : siblings;
        if (combinator == '+')
            fanOut = siblings; // finding the previous sibling walks from the first
        paths = std::min(paths * fanOut, 1e18);
        cost += paths * compoundCost(compounds[i]);
    }
    return cost;
}

bool PageBudget::addStyleSheet(std::string_view css)
{
    if (!m_over.empty())
        return false;
    std::string text = withoutComments(css);
    // An imported sheet may be imported for some media only.
    std::string folded = lower(text);
    bool restyles = folded.find("@media") != std::string::npos || folded.find("@import") != std::string::npos;
    int selectors = 0;
    double work = 0;
    // Every '{' at any depth is taken to end a selector list running back to
    // the last brace or semicolon, unless that text is an at-rule. Where the
    // renderer's parser would read the sheet otherwise (quotes holding
    // braces, blocks left open), this counts more selectors, never fewer.
    size_t preludeStart = 0;
    // Where the renderer's parser may take the selector list to start: it
    // may read a semicolon as part of a selector, and it goes on from the
    // first '}' after a block to the next '{' whatever lies between. It reads
    // that text again from after each further '}' in it ("strays").
    size_t ruleStart = 0;
    bool inBlock = false;
    int strays = 0;
    // Brackets are not trusted to group: a comma or combinator inside them
    // counts like any other, which may count more, never less, than the
    // renderer's parser sees.
    auto count = [&](std::string_view list, int times) {
        size_t from = 0;
        // Stops past the cap, where the page is refused anyway, before the
        // count can overflow.
        for (size_t j = 0; j <= list.size() && selectors <= kMaxStyleSelectors; ++j) {
            if (j == list.size() || list[j] == ',') {
                selectors += times;
                work += times * selectorCost(trimmed(list.substr(from, j - from)));
                from = j + 1;
            }
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ';' || c == '}') {
            preludeStart = i + 1;
            if (c == '}' && inBlock)
                ruleStart = i + 1;
            else if (c == '}')
                strays = std::min(strays + 1, kMaxStyleSelectors);
            inBlock = inBlock && c != '}';
            continue;
        }
        if (c != '{')
            continue;
        auto rule = std::string_view(text).substr(ruleStart, i - ruleStart);
        auto prelude = trimmed(std::string_view(text).substr(preludeStart, i - preludeStart));
        preludeStart = ruleStart = i + 1;
        inBlock = true;
        int times = std::exchange(strays, 0);
        for (size_t from = 0; from <= rule.size();) {
            size_t comma = std::min(rule.find(',', from), rule.size());
            if (comma - from > kMaxSelectorBytes) {
                m_over = "the page's style sheets have a selector longer than " + std::to_string(kMaxSelectorBytes)
                    + " bytes";
                return false;
            }
            from = comma + 1;
        }
        // A read from after a stray '}' takes part of `rule`, and costs no
        // more than all of it.
        if (times > 0)
            count(trimmed(rule), times);
        if (selectors > kMaxStyleSelectors)
            break;
        if (prelude.empty() || prelude.front() == '@')
            continue;
        count(prelude, 1);
    }
    if (m_selectors + selectors > kMaxStyleSelectors) {
        m_over = "the page's style sheets have more than " + std::to_string(kMaxStyleSelectors) + " selectors";
        return false;
    }
    PageBudget after = *this;
    after.m_work += work;
    after.m_restyles = m_restyles || restyles;
    if (after.m_work > kMaxSelectorWork || after.milliseconds() > kMaxPageMilliseconds) {
        m_over = after.m_restyles && !m_restyles
            ? "the page's media queries would style it again at its width, which it is too costly for"
            : "the page's selectors are too costly to match against its elements";
        return false;
    }
    m_selectors += selectors;
    m_work = after.m_work;
    m_restyles = after.m_restyles;
    return true;
}

bool PageBudget::setLayoutShape(const LayoutShape& shape)
{
    if (!m_over.empty())
        return false;
    m_shape = shape;
    if (shape.gridCells > kMaxTableGridCells) {
        m_over = "the page's tables have more than " + std::to_string(int(kMaxTableGridCells))
            + " cells in their grids";
        return false;
    }
    if (milliseconds() <= kMaxPageMilliseconds)
        return true;
    double tables = shape.extraRenders * kExtraRenderMilliseconds;
    double floats = kFloatMilliseconds * double(shape.floats) * shape.floats * shape.floatRenders;
    double grids = shape.gridCells * kGridCellMilliseconds;
    double layers = shape.layerWalks * kLayerWalkMilliseconds;
    double markers = shape.markers * kMarkerMilliseconds;
    if (markers > tables && markers > floats && markers > grids && markers > layers)
        m_over = "the page has too many elements and list items to lay out and draw";
    else if (layers >= tables && layers >= floats && layers >= grids)
        m_over = "the page has too many positioned boxes in layers of their own (z-index) to draw";
    else if (grids >= tables && grids >= floats)
        m_over = "the page's tables have too many cells in their grids to lay out";
    else
        m_over = tables >= floats ? "the page's tables nest too deeply for what they hold"
                                  : "the page has too many floats (" + std::to_string(shape.floats) + ") to lay out";
    return false;
}

double PageBudget::styleMilliseconds() const
{
    return m_census.elements * kElementMilliseconds + m_census.elementDepths * kElementDepthMilliseconds
        + m_census.textRunDepths * kTextRunDepthMilliseconds + m_work * kSelectorTestMilliseconds;
}

double PageBudget::milliseconds() const
{
    return m_shape.extraRenders * kExtraRenderMilliseconds + m_shape.gridCells * kGridCellMilliseconds
        + m_shape.layerWalks * kLayerWalkMilliseconds
        + m_shape.markers * kMarkerMilliseconds
        + kFloatMilliseconds * double(m_shape.floats) * m_shape.floats * m_shape.floatRenders
        + styleMilliseconds() * (m_restyles ? 2 : 1) + m_census.textRuns * kTextRunMilliseconds
        + double(m_census.textBytes - m_census.nonAsciiBytes) * kAsciiByteMilliseconds
        + double(m_census.nonAsciiBytes) * kOtherByteMilliseconds;
}

}
