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
KRDOMStyleSheet::~KRDOMStyleSheet() = default;

void KRDOMStyleSheet::addStyle(KRDOMStyleRef style)
{
    if (!style)
        return;
    m_styles.push_back(std::move(style));
    invalidate();
}

void KRDOMStyleSheet::removeStyle(const KRDOMStyleRef& style)
{
    std::erase(m_styles, style);
    invalidate();
}

void KRDOMStyleSheet::removeAllStyles()
{
    m_styles.clear();
    invalidate();
}

void KRDOMStyleSheet::setVersion(int version)
{
    PF_ASSERT_MAIN_THREAD();
    int old = m_version;
    m_version = version;
    invalidate();
    // Observers may add or remove observers while being told.
    std::vector<std::weak_ptr<KRDOMStyleSheetObserver>> observers;
    observers.reserve(m_observers.size());
    for (const auto& [key, weak] : m_observers)
        observers.push_back(weak);
    for (const auto& weak : observers) {
        if (auto observer = weak.lock())
            observer->styleSheetVersionDidChange(*this, old, version);
    }
    dropExpiredObservers();
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

void KRDOMStyleSheet::addObserver(std::weak_ptr<KRDOMStyleSheetObserver> observer)
{
    auto locked = observer.lock();
    if (!locked)
        return;
    // An observer released without removing itself may have left its address
    // to this one: the newer registration replaces it.
    removeObserver(locked.get());
    std::uint64_t key = m_nextObserverKey++;
    m_observers.emplace(key, std::move(observer));
    m_observerKeys.emplace(locked.get(), key);
    // Observers that never remove themselves are dropped once their number
    // has doubled, so the lists stay bounded at a constant cost per add.
    if (m_observers.size() >= 2 * m_observersAtLastDrop + 64)
        dropExpiredObservers();
}

void KRDOMStyleSheet::removeObserver(const KRDOMStyleSheetObserver* observer)
{
    auto found = m_observerKeys.find(observer);
    if (found == m_observerKeys.end())
        return;
    m_observers.erase(found->second);
    m_observerKeys.erase(found);
}

void KRDOMStyleSheet::dropExpiredObservers()
{
    for (auto it = m_observerKeys.begin(); it != m_observerKeys.end();) {
        auto entry = m_observers.find(it->second);
        if (entry == m_observers.end() || entry->second.expired()) {
            if (entry != m_observers.end())
                m_observers.erase(entry);
            it = m_observerKeys.erase(it);
        } else {
            ++it;
        }
    }
    m_observersAtLastDrop = m_observers.size();
}

void KRDOMStyleSheet::invalidate()
{
    m_byNameValid = false;
    m_merged.clear();
}
