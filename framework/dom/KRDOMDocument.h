#pragma once

// A markup document: owns its root element, styles the tree with a shared
// style sheet (again whenever the sheet's version is set), indexes elements
// by "id", and knows the bundle its local images come from and the table
// row it fills.
//
// Main queue only. Documents live in shared pointers (create()), since the
// sheet and the elements refer back to them weakly: releasing a document
// leaves its sheet and its former elements with nothing to reach.

#include "framework/dom/Forward.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "platform/foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pf {
class Bundle;
}

class KRDOMDocument final : public pf::Object, public KRDOMStyleSheetObserver {
public:
    static KRDOMDocumentRef create();
    ~KRDOMDocument() override;

    const KRDOMElementRef& rootElement() const { return m_rootElement; }
    // Takes the element out of its parent, gives it (and its subtree) this
    // document, styles it and rebuilds the id index. Nothing when unchanged.
    void setRootElement(KRDOMElementRef root);

    const KRDOMStyleSheetRef& styleSheet() const { return m_styleSheet; }
    // Observes the new sheet's version instead of the old one's and styles
    // the tree with it. Nothing when unchanged.
    void setStyleSheet(KRDOMStyleSheetRef sheet);

    const std::shared_ptr<pf::Bundle>& bundle() const { return m_bundle; }
    void setBundle(std::shared_ptr<pf::Bundle> bundle) { m_bundle = std::move(bundle); }
    const std::vector<long>& indexPath() const { return m_indexPath; }
    void setIndexPath(std::vector<long> indexPath) { m_indexPath = std::move(indexPath); }

    // The first element in document order with that "id" when the root was
    // set (or scanned); null when none.
    KRDOMElementRef elementById(std::string_view eid) const;
    // Indexes the element and its subtree; an id already indexed keeps its
    // element.
    void scanfElements(const KRDOMElementRef& element);
    template <class T>
    std::vector<std::shared_ptr<T>> elementsByClass(KRDOMClassMatch match) const
    {
        std::vector<std::shared_ptr<T>> out;
        if (m_rootElement)
            m_rootElement->searchElementsByClass<T>(match, out);
        return out;
    }

    // Styles the element and its subtree from the sheet. The element's style
    // name is its tag, then " <enclosing class>.<tag>" when an enclosing
    // class is known, then " <class attribute>"; each child is styled with
    // the last word of this element's class (or, without one, the enclosing
    // class this element was given).
    void applyStyleSheet(const KRDOMElementRef& element);
    void applyStyleSheet(const KRDOMElementRef& element, std::optional<std::string_view> enclosingClass);
    // The last word of the "class" of the nearest ancestor that has one.
    static std::optional<std::string> forStyleNameInElement(const KRDOMElement& element);

private:
    KRDOMDocument() = default;
    void styleSheetVersionDidChange(KRDOMStyleSheet& sheet, int oldVersion, int newVersion) override;
    void applyStyle(KRDOMElement& element, std::optional<std::string_view> enclosingClass, int depth);

    std::unordered_map<std::string, KRDOMElementRef> m_elementsById;
    std::shared_ptr<pf::Bundle> m_bundle;
    KRDOMElementRef m_rootElement;
    KRDOMStyleSheetRef m_styleSheet;
    std::vector<long> m_indexPath;
};
