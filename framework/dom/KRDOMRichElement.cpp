#include "framework/dom/KRDOMRichElement.h"

#include "framework/dom/KRDOMActionValues.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMTextValues.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/dom/KRRich.h"
#include "framework/dom/KRRichImageElement.h"
#include "framework/dom/KRRichViewElement.h"
#include "framework/util/TextLength.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cassert>
#include <climits>

namespace {

// An inline side: a number, or a percentage of the rich element's side.
// Nothing for "auto", for no value, and for a percentage of a side that is
// itself still "auto": the object's own size is used then.
std::optional<double> inlineSide(std::optional<std::string_view> text, double richSide)
{
    if (!text || *text == "auto")
        return std::nullopt;
    double number = KRDOMStyle::floatValue(text);
    if (text->ends_with('%')) {
        if (krIsLayoutAuto(richSide))
            return std::nullopt;
        return number * richSide / 100;
    }
    return number;
}

}

KRDOMRichElement::~KRDOMRichElement() { removeHighlightLayers(); }

std::shared_ptr<KRDOMRichElement> KRDOMRichElement::create(std::string name, std::string ns)
{
    return std::make_shared<KRDOMRichElement>(std::move(name), std::move(ns));
}

pf::Font KRDOMRichElement::font() const { return krDOMTextFont(*this); }

pf::Color KRDOMRichElement::textColor() const { return krDOMTextColor(*this); }

KRRich& KRDOMRichElement::rich()
{
    if (m_rich)
        return *m_rich;
    m_rich = std::make_unique<KRRich>();
    KRRich& r = *m_rich;
    r.setFont(font());
    r.setTextColor(textColor());
    r.setLinesSpacing(floatValueForKey("line-spacing"));
    r.setCharsetsSpacing(floatValueForKey("charset-spacing"));
    // Fonts are given at their own size: appending adds incFontSize once.
    KRRichAttributes attributes;
    attributes.font = r.font();
    attributes.foregroundColor = r.textColor();
    elementToRichElement(*this, r, attributes);
    return r;
}

void KRDOMRichElement::elementToRichElement(KRDOMElement& e, KRRich& r, const KRRichAttributes& inherited, int depth)
{
    if (depth > kMaxDepth)
        return;
    std::string text = e.text();
    if (auto maxLength = e.stringValueForKey("max-length")) {
        // Any number may stand in markup: no limit below zero, none past int.
        double wanted = KRDOMStyle::floatValue(maxLength);
        int limit = wanted > 0 ? int(std::min<double>(wanted, INT_MAX)) : 0;
        std::size_t cut = std::size_t(std::max(0, textIndexOfLength(text, limit)));
        if (cut < pf::utf16Length(text))
            text = pf::utf16Substring(text, 0, cut) + "...";
    }
    KRRichAttributes a = inherited;
    if (auto font = e.fontValueForKey("font"))
        a.font = *font;
    else if (e.stringValueForKey("font-size")) {
        double size = e.floatValueForKey("font-size");
        a.font = pf::Font::system(size > 0 ? std::min<double>(size, KRDOMStyle::kMaxFontSize) : KRDOMStyle::kDefaultFontSize);
    }
    if (auto color = e.colorValueForKey("color"))
        a.foregroundColor = *color;

    const std::string& tag = e.name();
    pf::Size own = frame().size;
    KRDOMElementRef holder = e.sharedFromThis();
    if (tag == "br") {
        if (!r.isNewLine())
            r.appendText("\n", a);
    } else if (auto* image = dynamic_cast<KRDOMImageElement*>(&e)) {
        auto inlineImage = std::make_shared<KRRichImageElement>();
        inlineImage->setUserInfo(holder);
        pf::ImageRef picture = image->image();
        inlineImage->setImage(picture);
        pf::Size size = picture ? picture->size() : pf::Size{};
        double ratio = size.width != 0 ? size.height / size.width : 0;
        if (auto w = inlineSide(e.stringValueForKey("width"), own.width))
            size.width = *w;
        if (auto h = inlineSide(e.stringValueForKey("height"), own.height))
            size.height = *h;
        else if (ratio != 0)
            size.height = size.width * ratio;
        inlineImage->setSize(size);
        r.appendElement(inlineImage);
    } else if (auto* viewElement = dynamic_cast<KRDOMViewElement*>(&e)) {
        auto inlineView = std::make_shared<KRRichViewElement>();
        inlineView->setUserInfo(holder);
        auto w = inlineSide(e.stringValueForKey("width"), own.width);
        auto h = inlineSide(e.stringValueForKey("height"), own.height);
        pf::Size fitted;
        if (!w || !h) {
            const pf::ViewRef& view = viewElement->view();
            fitted = view ? view->sizeThatFits({w.value_or(0), h.value_or(0)}) : pf::Size{};
        }
        inlineView->setSize({w.value_or(fitted.width), h.value_or(fitted.height)});
        r.appendElement(inlineView);
    } else if (tag == "a" && !text.empty()) {
        auto link = std::make_shared<KRRichLinkElement>();
        link->setUserInfo(holder);
        link->setHref(std::string(e.attributeValueForKey("href").value_or("")));
        r.appendElement(link, text, a);
    } else {
        bool paragraph = tag == "p";
        if (paragraph && !r.isNewLine())
            r.appendText("\n", a);
        if (!text.empty())
            r.appendText(text, a);
        for (std::size_t i = 0; i < e.childs().size(); i++) {
            KRDOMElementRef child = e.childs()[i];
            elementToRichElement(*child, r, a, depth + 1);
        }
        if (paragraph && !r.isNewLine())
            r.appendText("\n", a);
    }
}

pf::Size KRDOMRichElement::layoutChildren(const pf::EdgeInsets&)
{
    pf::Rect f = frame();
    if (!krIsLayoutAuto(f.width()) && !krIsLayoutAuto(f.height())) {
        placeInlineElements();
        return f.size;
    }
    pf::Size suggested = rich().contentSizeWithSize(f.size);
    pf::Size size{krIsLayoutAuto(f.width()) ? suggested.width : f.width(),
                  krIsLayoutAuto(f.height()) ? suggested.height : f.height()};
    setFrame({f.origin, size});
    setContentSize(size);
    placeInlineElements();
    return frame().size;
}

void KRDOMRichElement::placeInlineElements()
{
    KRDOMElementRef self = sharedFromThis();
    pf::Size size = frame().size;
    KRRich& r = rich();
    // An inline object's element gets its box as frame; the spans around it
    // stand over the whole area, so that the box reads the same in every
    // enclosing element. Other spans keep no area and take no touches.
    auto elements = r.elements();
    for (const auto& inlineElement : elements) {
        auto markup = std::dynamic_pointer_cast<KRDOMElement>(inlineElement->userInfo());
        if (!markup || !dynamic_cast<IKRRichBoxElement*>(inlineElement.get()))
            continue;
        markup->setFrame(r.elementBox(*inlineElement, size).value_or(pf::Rect()));
        for (KRDOMElementRef span = markup->parentElement(); span && span.get() != this; span = span->parentElement())
            span->setFrame({0, 0, size.width, size.height});
    }
    auto host = delegate();
    if (!host || !host->hasKRDOMElementHosting())
        return;
    for (const auto& inlineElement : elements) {
        auto* viewElement = dynamic_cast<IKRRichViewElement*>(inlineElement.get());
        pf::ViewRef view = viewElement ? viewElement->view() : nullptr;
        if (!view)
            continue;
        if (auto box = r.elementBox(*inlineElement, size))
            host->krDOMElementAddView(this, view, *box);
    }
}

void KRDOMRichElement::render(const pf::Rect& rect, pf::GraphicsContext& context)
{
    if (!isHidden())
        draw(rect, context);
}

void KRDOMRichElement::draw(const pf::Rect& rect, pf::GraphicsContext& context)
{
    if (isHidden())
        return;
    KRDOMElement::draw(rect, context);
    rich().drawContext(context, frame().size);
}

void KRDOMRichElement::setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate)
{
    KRDOMElement::setDelegate(std::move(delegate));
    removeHighlightLayers();
    m_focusElement.reset();
    if (m_rich && !frame().size.isEmpty())
        placeInlineElements();
}

void KRDOMRichElement::removeHighlightLayers()
{
    for (const auto& layer : m_highlightedLayers)
        layer->removeFromSuperview();
    m_highlightedLayers.clear();
}

void KRDOMRichElement::setHighlighted(bool highlighted)
{
    PF_ASSERT_MAIN_THREAD();
    KRDOMElement::setHighlighted(highlighted);
    if (!highlighted || !m_focusElement) {
        removeHighlightLayers();
        return;
    }
    std::vector<pf::Rect> rects = rich().elementRects(m_focusElement.get(), frame().size);
    auto host = delegate();
    for (std::size_t i = 0; i < rects.size(); i++) {
        if (i == m_highlightedLayers.size()) {
            auto layer = KRDOMLayer::create();
            layer->setBackgroundColor(pf::Color::white(0, 0.3));
            layer->setCornerRadius(3);
            layer->setClipsToBounds(true);
            m_highlightedLayers.push_back(layer);
        }
        if (host && host->hasKRDOMElementHosting())
            host->krDOMElementAddLayer(*this, m_highlightedLayers[i], rects[i]);
    }
    for (std::size_t i = rects.size(); i < m_highlightedLayers.size(); i++)
        m_highlightedLayers[i]->removeFromSuperview();
    m_highlightedLayers.resize(std::min(m_highlightedLayers.size(), rects.size()));
}

bool KRDOMRichElement::touchesBegan(pf::Point p)
{
    std::shared_ptr<KRRichElement> hit = rich().elementByLocation(p, frame().size);
    m_focusElement = std::dynamic_pointer_cast<KRRichLinkElement>(hit) ? hit : nullptr;
    bool taken = KRDOMElement::touchesBegan(p);
    return taken || m_focusElement != nullptr;
}

void KRDOMRichElement::touchesEnded(pf::Point p)
{
    // The host told of the action may release the tree.
    KRDOMElementRef self = sharedFromThis();
    std::shared_ptr<KRRichElement> focus = std::move(m_focusElement);
    if (isHighlighted() && focus) {
        auto link = std::dynamic_pointer_cast<KRDOMElement>(focus->userInfo());
        if (auto host = delegate(); host && link)
            host->krDOMElementDoAction(*link);
    }
    KRDOMElement::touchesEnded(p);
}

void KRDOMRichElement::touchesCancelled(pf::Point p)
{
    m_focusElement.reset();
    KRDOMElement::touchesCancelled(p);
}

const std::string& KRDOMRichElement::actionName() const { return krDOMActionName(*this); }

const pf::Value& KRDOMRichElement::userInfo() const { return krDOMUserInfo(*this, m_userInfo); }

void KRDOMRichElement::setUserInfo(const pf::Value& userInfo) { krDOMSetUserInfo(*this, userInfo); }

const std::vector<pf::ObjectRef>& KRDOMRichElement::actionViews() const
{
    static const std::vector<pf::ObjectRef> none;
    return none;
}
