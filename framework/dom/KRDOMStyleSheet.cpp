#include "framework/dom/KRDOMStyleSheet.h"

#include "framework/dom/KRDOMStyle.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

#include <algorithm>

namespace {

// Style names come from markup, which may be filled from server data; the
// cache starts over rather than grow without bound.
constexpr std::size_t kMaxCachedMerges = 4096;

}

KRDOMStyleSheet::KRDOMStyleSheet() = default;
KRDOMStyleSheet::~KRDOMStyleSheet()
{
    for (const KRDOMStyleRef& style : m_styles)
        leave(*style);
}

void KRDOMStyleSheet::addStyle(KRDOMStyleRef style)
{
    if (!style)
        return;
    if (std::find(style->m_sheets.begin(), style->m_sheets.end(), this) == style->m_sheets.end())
        style->m_sheets.push_back(this);
    m_styles.push_back(std::move(style));
    invalidate();
}

void KRDOMStyleSheet::removeStyle(const KRDOMStyleRef& style)
{
    if (style)
        leave(*style);
    std::erase(m_styles, style);
    invalidate();
}

void KRDOMStyleSheet::removeAllStyles()
{
    for (const KRDOMStyleRef& style : m_styles)
        leave(*style);
    m_styles.clear();
    invalidate();
}

void KRDOMStyleSheet::leave(KRDOMStyle& style)
{
    std::erase(style.m_sheets, this);
}

void KRDOMStyleSheet::setVersion(int version)
{
    PF_ASSERT_MAIN_THREAD();
    int old = m_version;
    m_version = version;
    invalidate();
    for (const auto& weak : m_observers.snapshot()) {
        if (auto observer = weak.lock())
            observer->styleSheetVersionDidChange(*this, old, version);
    }
    m_observers.dropExpired();
}

std::shared_ptr<const KRDOMStyle> KRDOMStyleSheet::selectorStyleName(std::string_view styleName) const
{
    std::string key(styleName);
    if (auto it = m_merged.find(key); it != m_merged.end())
        return it->second;
    if (!m_byNameValid) {
        m_byName.clear();
        for (const KRDOMStyleRef& style : m_styles)
            m_byName[style->name()].push_back(style.get());
        m_byNameValid = true;
    }
    auto merged = std::make_shared<KRDOMStyle>();
    std::size_t start = 0;
    while (start <= styleName.size()) {
        std::size_t end = styleName.find(' ', start);
        if (end == std::string_view::npos)
            end = styleName.size();
        std::string_view word = styleName.substr(start, end - start);
        if (!word.empty()) {
            if (auto it = m_byName.find(std::string(word)); it != m_byName.end()) {
                for (const KRDOMStyle* style : it->second)
                    merged->addValuesOf(*style);
            }
        }
        start = end + 1;
    }
    if (m_merged.size() >= kMaxCachedMerges)
        m_merged.clear();
    m_merged.emplace(std::move(key), merged);
    return merged;
}

void KRDOMStyleSheet::invalidate()
{
    m_byNameValid = false;
    m_merged.clear();
}
