#include "framework/dom/KRDOMDocument.h"

#include "framework/dom/KRDOMStyle.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

namespace {

// The last non-empty word of a class list, skipping the empty words that
// double or trailing spaces make.
std::optional<std::string_view> lastClassWord(std::optional<std::string_view> classes)
{
    if (!classes)
        return std::nullopt;
    std::string_view s = *classes;
    std::size_t end = s.find_last_not_of(' ');
    if (end == std::string_view::npos)
        return std::nullopt;
    std::size_t start = s.find_last_of(' ', end);
    start = start == std::string_view::npos ? 0 : start + 1;
    return s.substr(start, end + 1 - start);
}

}

KRDOMDocumentRef KRDOMDocument::create()
{
    return KRDOMDocumentRef(new KRDOMDocument());
}

KRDOMDocument::~KRDOMDocument()
{
    // The elements' weak references to this document lapse with it: walking
    // a released row's whole tree to clear them would only read cold memory.
    if (m_styleSheet)
        m_styleSheet->removeObserver(this);
}

void KRDOMDocument::setRootElement(KRDOMElementRef root)
{
    PF_ASSERT_MAIN_THREAD();
    if (root == m_rootElement)
        return;
    m_rootElement = std::move(root);
    if (m_rootElement) {
        m_rootElement->removeFromParentElement();
        m_rootElement->setDocument(std::static_pointer_cast<KRDOMDocument>(weak_from_this().lock()));
        applyStyleSheet(m_rootElement);
    }
    m_elementsById.clear();
    if (m_rootElement)
        scanfElements(m_rootElement);
}

void KRDOMDocument::setStyleSheet(KRDOMStyleSheetRef sheet)
{
    PF_ASSERT_MAIN_THREAD();
    if (sheet == m_styleSheet)
        return;
    if (m_styleSheet)
        m_styleSheet->removeObserver(this);
    m_styleSheet = std::move(sheet);
    if (m_styleSheet) {
        if (auto self = std::static_pointer_cast<KRDOMDocument>(weak_from_this().lock()))
            m_styleSheet->addObserver(std::static_pointer_cast<KRDOMStyleSheetObserver>(self));
    }
    applyStyleSheet(m_rootElement);
}

void KRDOMDocument::styleSheetVersionDidChange(KRDOMStyleSheet&, int, int)
{
    // Restyling calls out to element delegates, which may drop this document.
    auto self = weak_from_this().lock();
    KRDOMElementRef root = m_rootElement;
    applyStyleSheet(root);
    if (root)
        root->setNeedDisplay();
}

KRDOMElementRef KRDOMDocument::elementById(std::string_view eid) const
{
    auto it = m_elementsById.find(std::string(eid));
    return it == m_elementsById.end() ? nullptr : it->second;
}

void KRDOMDocument::scanfElements(const KRDOMElementRef& element)
{
    if (!element)
        return;
    if (auto eid = element->eid())
        m_elementsById.try_emplace(std::string(*eid), element);
    for (const KRDOMElementRef& child : element->childs())
        scanfElements(child);
}

void KRDOMDocument::applyStyleSheet(const KRDOMElementRef& element)
{
    if (!element)
        return;
    std::optional<std::string> enclosing = forStyleNameInElement(*element);
    applyStyleSheet(element, enclosing ? std::optional<std::string_view>(*enclosing) : std::nullopt);
}

void KRDOMDocument::applyStyleSheet(const KRDOMElementRef& element, std::optional<std::string_view> enclosingClass)
{
    if (!m_styleSheet || !element)
        return;
    applyStyle(*element, enclosingClass, 0);
}

void KRDOMDocument::applyStyle(KRDOMElement& element, std::optional<std::string_view> enclosingClass, int depth)
{
    std::string styleName = element.name();
    if (enclosingClass) {
        styleName += ' ';
        styleName += *enclosingClass;
        styleName += '.';
        styleName += element.name();
    }
    std::optional<std::string_view> classes = element.attributeValueForKey("class");
    if (classes && !classes->empty()) {
        styleName += ' ';
        styleName += *classes;
    }
    element.setStyle(m_styleSheet->selectorStyleName(styleName));

    if (depth >= KRDOMElement::kMaxDepth || element.childs().empty())
        return;
    // A copy: the host told of the new style may change the attributes.
    std::optional<std::string_view> word = lastClassWord(element.attributeValueForKey("class"));
    std::optional<std::string> childEnclosing;
    if (word)
        childEnclosing.emplace(*word);
    else if (enclosingClass)
        childEnclosing.emplace(*enclosingClass);
    // Hold each child: a delegate told of the new style may change the tree.
    for (std::size_t i = 0; i < element.childs().size(); i++) {
        KRDOMElementRef child = element.childs()[i];
        applyStyle(*child, childEnclosing ? std::optional<std::string_view>(*childEnclosing) : std::nullopt, depth + 1);
    }
}

std::optional<std::string> KRDOMDocument::forStyleNameInElement(const KRDOMElement& element)
{
    for (KRDOMElementRef p = element.parentElement(); p; p = p->parentElement()) {
        if (auto word = lastClassWord(p->attributeValueForKey("class")))
            return std::string(*word);
    }
    return std::nullopt;
}
