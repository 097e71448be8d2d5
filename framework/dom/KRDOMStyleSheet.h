#pragma once

// An ordered list of named styles shared by every document of the process,
// and a version that documents observe: setting it makes every observing
// document restyle its tree. Main queue only.
//
// Styles are looked up through an index by name and merged styles are
// cached by style name. Both are rebuilt when styles are added or removed
// and when the version is set, so edits to a style already in the sheet
// take effect at the next version change, as they do for documents.

#include "framework/dom/Forward.h"

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
    void addObserver(std::weak_ptr<KRDOMStyleSheetObserver> observer);
    void removeObserver(const KRDOMStyleSheetObserver* observer);

private:
    void invalidate();

    std::vector<KRDOMStyleRef> m_styles;
    int m_version = 0;
    std::vector<std::weak_ptr<KRDOMStyleSheetObserver>> m_observers;
    mutable std::unordered_map<std::string, std::vector<const KRDOMStyle*>> m_byName;
    mutable bool m_byNameValid = false;
    mutable std::unordered_map<std::string, std::shared_ptr<const KRDOMStyle>> m_merged;
};
