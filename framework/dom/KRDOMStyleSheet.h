#pragma once

// An ordered list of named styles shared by every document of the process,
// and a version that documents observe: setting it makes every observing
// document restyle its tree. Main queue only.
//
// Styles are looked up through an index by name and merged styles are
// cached by style name. Both are rebuilt when styles are added or removed,
// when a style in the sheet changes its values or name (it tells the sheet),
// and when the version is set. Documents styled before an edit keep their
// styles until the version changes; those styled after it see it.

#include "framework/util/KRWeakObserverList.h"
#include "framework/dom/Forward.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class KRDOMStyleSheetObserver {
public:
    virtual void styleSheetVersionDidChange(KRDOMStyleSheet& sheet, int oldVersion, int newVersion) = 0;

protected:
    ~KRDOMStyleSheetObserver() = default;
};

class KRDOMStyleSheet {
public:
    KRDOMStyleSheet();
    ~KRDOMStyleSheet();

    void addStyle(KRDOMStyleRef style);
    // Removes every occurrence of the style.
    void removeStyle(const KRDOMStyleRef& style);
    void removeAllStyles();
    const std::vector<KRDOMStyleRef>& styles() const { return m_styles; }

    int version() const { return m_version; }
    // Tells every observer, also when the value is the same.
    void setVersion(int version);

    // The merge of the rules named by each space-separated word of
    // `styleName` in order (empty words skipped): for each word, every rule
    // of that exact name in sheet order copies its values over the result.
    // The result has no name; it is shared between callers and never changes.
    std::shared_ptr<const KRDOMStyle> selectorStyleName(std::string_view styleName) const;

    // Observers are held weakly; one whose owner was released is skipped.
    // They are told in the order they were added. Adding and removing cost
    // no more as observers grow: every document of a long list observes the
    // one sheet and removes itself when released.
    void addObserver(std::weak_ptr<KRDOMStyleSheetObserver> observer) { m_observers.add(std::move(observer)); }
    void removeObserver(const KRDOMStyleSheetObserver* observer) { m_observers.remove(observer); }
    // Observers kept, released ones not yet dropped included.
    std::size_t observerCount() const { return m_observers.size(); }

    KRDOMStyleSheet(const KRDOMStyleSheet&) = delete;
    KRDOMStyleSheet& operator=(const KRDOMStyleSheet&) = delete;

private:
    friend class KRDOMStyle;
    void invalidate();
    // Takes the sheet off the style's list of the sheets holding it.
    void leave(KRDOMStyle& style);

    std::vector<KRDOMStyleRef> m_styles;
    int m_version = 0;

    KRWeakObserverList<KRDOMStyleSheetObserver> m_observers;
    mutable std::unordered_map<std::string, std::vector<const KRDOMStyle*>> m_byName;
    mutable bool m_byNameValid = false;
    mutable std::unordered_map<std::string, std::shared_ptr<const KRDOMStyle>> m_merged;
};
