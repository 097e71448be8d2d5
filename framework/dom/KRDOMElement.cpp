#include "framework/dom/KRDOMElement.h"

#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRDOMStyle.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

#include <algorithm>

KRDOMElement::KRDOMElement(std::string name, std::string ns)
    : m_name(std::move(name))
    , m_ns(std::move(ns))
{
}

KRDOMElement::~KRDOMElement()
{
    // Children that outlive this element (held elsewhere) lose their parent.
    for (const KRDOMElementRef& child : m_childs)
        child->m_parent.reset();
}

KRDOMElementRef KRDOMElement::create(std::string name, std::string ns)
{
    return std::make_shared<KRDOMElement>(std::move(name), std::move(ns));
}

namespace {

double number(const pf::DictionaryRef& d, std::string_view key)
{
    return d ? d->get(key).doubleValue() : 0;
}

}

pf::Value KRDOMElement::valueForKey(std::string_view key) const
{
    if (key == "frame")
        return pf::Value(pf::Dictionary::create(
            {{"x", m_frame.x()}, {"y", m_frame.y()}, {"width", m_frame.width()}, {"height", m_frame.height()}}));
    if (key == "contentSize")
        return pf::Value(pf::Dictionary::create({{"width", m_contentSize.width}, {"height", m_contentSize.height}}));
    if (key == "cornerRadius")
        return pf::Value(m_cornerRadius);
    if (key == "enabled")
        return pf::Value(m_enabled);
    if (key == "selected")
        return pf::Value(m_selected);
    if (key == "highlighted")
        return pf::Value(m_highlighted);
    return m_values ? m_values->get(key) : pf::Value();
}

void KRDOMElement::setValue(const pf::Value& value, std::string_view key)
{
    auto d = value.dictionary();
    if (key == "frame")
        return setFrame(pf::Rect(number(d, "x"), number(d, "y"), number(d, "width"), number(d, "height")));
    if (key == "contentSize")
        return setContentSize(pf::Size{number(d, "width"), number(d, "height")});
    if (key == "cornerRadius")
        return setCornerRadius(value.doubleValue());
    if (key == "enabled")
        return setEnabled(value.boolValue());
    if (key == "selected")
        return setSelected(value.boolValue());
    if (key == "highlighted")
        return setHighlighted(value.boolValue());
    if (!m_values) {
        if (value.isNil())
            return;
        m_values = std::make_shared<pf::Dictionary>();
    }
    m_values->set(key, value);
}

const std::shared_ptr<KRDOMLayer>& KRDOMElement::layer()
{
    static const std::shared_ptr<KRDOMLayer> shared = KRDOMLayer::create();
    return shared;
}

void KRDOMElement::setFrame(const pf::Rect& frame)
{
    m_frame = pf::Rect(krClampFinite(frame.x()), krClampFinite(frame.y()), krClampFinite(frame.width()),
                     krClampFinite(frame.height()));
}

void KRDOMElement::setContentSize(const pf::Size& size)
{
    m_contentSize = {krClampFinite(size.width), krClampFinite(size.height)};
}

void KRDOMElement::setCornerRadius(double radius)
{
    m_cornerRadius = std::isfinite(radius) && radius > 0 ? radius : 0;
}

std::optional<std::string_view> KRDOMElement::stringValueForKey(std::string_view key) const
{
    if (auto value = m_attributes.get(key))
        return value;
    return m_style ? m_style->stringValueForKey(key) : std::nullopt;
}

float KRDOMElement::floatValueForKey(std::string_view key) const
{
    return KRDOMStyle::floatValue(stringValueForKey(key));
}

bool KRDOMElement::booleanValueForKey(std::string_view key) const
{
    return KRDOMStyle::booleanValue(stringValueForKey(key));
}

std::optional<KRImage> KRDOMElement::imageValueForKey(std::string_view key, const pf::Bundle* bundle) const
{
    return KRDOMStyle::imageValue(stringValueForKey(key), bundle);
}

std::optional<pf::Color> KRDOMElement::colorValueForKey(std::string_view key) const
{
    return KRDOMStyle::colorValue(stringValueForKey(key));
}

std::optional<pf::Font> KRDOMElement::fontValueForKey(std::string_view key) const
{
    return KRDOMStyle::fontValue(stringValueForKey(key));
}

bool KRDOMElement::isHidden() const
{
    if (auto hidden = stringValueForKey("hidden"))
        return KRDOMStyle::booleanValue(hidden);
    auto visable = stringValueForKey("visable");
    return visable && !KRDOMStyle::booleanValue(visable);
}

namespace {

pf::EdgeInsets readInsets(const KRDOMElement& element, std::string_view all, std::string_view top,
                        std::string_view left, std::string_view bottom, std::string_view right)
{
    double every = KRDOMStyle::floatValue(element.stringValueForKey(all));
    auto side = [&](std::string_view key) {
        auto value = element.stringValueForKey(key);
        return value ? double(KRDOMStyle::floatValue(value)) : every;
    };
    return {side(top), side(left), side(bottom), side(right)};
}

}

pf::EdgeInsets KRDOMElement::padding() const
{
    pf::EdgeInsets p = readInsets(*this, "padding", "padding-top", "padding-left", "padding-bottom", "padding-right");
    return {std::max(0.0, p.top), std::max(0.0, p.left), std::max(0.0, p.bottom), std::max(0.0, p.right)};
}

pf::EdgeInsets KRDOMElement::margin() const
{
    return readInsets(*this, "margin", "margin-top", "margin-left", "margin-bottom", "margin-right");
}

void KRDOMElement::setStyle(std::shared_ptr<const KRDOMStyle> style)
{
    m_style = std::move(style);
    setNeedDisplay();
}

void KRDOMElement::setNeedDisplay()
{
    if (auto delegate = m_delegate.lock())
        delegate->krDOMElementDoNeedDisplay(*this);
}

void KRDOMElement::setDocument(const KRDOMDocumentRef& document)
{
    m_document = document;
    for (const KRDOMElementRef& child : m_childs)
        child->setDocument(document);
}

int KRDOMElement::depth() const
{
    int levels = 0;
    for (KRDOMElementRef p = parentElement(); p; p = p->parentElement())
        levels++;
    return levels;
}

int KRDOMElement::height() const
{
    int deepest = 0;
    for (const KRDOMElementRef& child : m_childs)
        deepest = std::max(deepest, child->height() + 1);
    return deepest;
}

bool KRDOMElement::canAdopt(const KRDOMElement& child) const
{
    for (const KRDOMElement* p = this; p;) {
        if (p == &child)
            return false;
        KRDOMElementRef up = p->parentElement();
        p = up.get();
    }
    return depth() + 1 + child.height() <= kMaxDepth;
}

void KRDOMElement::attach(const KRDOMElementRef& child)
{
    child->m_parent = std::static_pointer_cast<KRDOMElement>(weak_from_this().lock());
    child->setDocument(document());
}

bool KRDOMElement::addElement(KRDOMElementRef child)
{
    return insertElement(std::move(child), m_childs.size() + 1);
}

bool KRDOMElement::insertElement(KRDOMElementRef child, std::size_t index)
{
    PF_ASSERT_MAIN_THREAD();
    if (!child || weak_from_this().expired() || !canAdopt(*child))
        return false;
    child->removeFromParentElement();
    attach(child);
    index = std::min(index, m_childs.size());
    m_childs.insert(m_childs.begin() + std::ptrdiff_t(index), std::move(child));
    return true;
}

void KRDOMElement::removeFromParentElement()
{
    KRDOMElementRef parent = parentElement();
    if (!parent)
        return;
    // The parent's list may hold the last reference to this element.
    KRDOMElementRef self = sharedFromThis();
    m_parent.reset();
    setDocument(nullptr);
    auto& siblings = parent->m_childs;
    auto it = std::find_if(siblings.begin(), siblings.end(), [this](const KRDOMElementRef& e) { return e.get() == this; });
    if (it != siblings.end())
        siblings.erase(it);
}
