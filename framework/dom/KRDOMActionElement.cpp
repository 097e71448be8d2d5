#include "framework/dom/KRDOMActionElement.h"

#include "framework/dom/KRDOMImageCache.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMActionValues.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRImage.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Path.h"

#include <cassert>

KRDOMActionElement::~KRDOMActionElement()
{
    if (m_highlightedLayer)
        m_highlightedLayer->removeFromSuperview();
}

std::shared_ptr<KRDOMActionElement> KRDOMActionElement::create(std::string name, std::string ns)
{
    return std::make_shared<KRDOMActionElement>(std::move(name), std::move(ns));
}

const std::string& KRDOMActionElement::actionName() const { return krDOMActionName(*this); }

const pf::Value& KRDOMActionElement::userInfo() const { return krDOMUserInfo(*this, m_userInfo); }

void KRDOMActionElement::setUserInfo(const pf::Value& userInfo) { krDOMSetUserInfo(*this, userInfo); }

const std::vector<pf::ObjectRef>& KRDOMActionElement::actionViews() const
{
    static const std::vector<pf::ObjectRef> none;
    return none;
}

bool KRDOMActionElement::touchesBegan(pf::Point p)
{
    KRDOMElement::touchesBegan(p);
    m_insetTouch = true;
    return true;
}

void KRDOMActionElement::touchesEnded(pf::Point p)
{
    // The host told of the action may release the tree, and with it this
    // element. The flag is cleared first so that a cancel arriving from
    // inside the action cannot act twice.
    KRDOMElementRef self = sharedFromThis();
    bool acts = m_insetTouch;
    m_insetTouch = false;
    if (acts) {
        if (auto delegate = this->delegate())
            delegate->krDOMElementDoAction(*this);
    }
    KRDOMElement::touchesEnded(p);
}

void KRDOMActionElement::touchesCancelled(pf::Point p)
{
    m_insetTouch = false;
    if (isHighlighted())
        KRDOMElement::touchesCancelled(p);
}

void KRDOMActionElement::setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate)
{
    KRDOMElement::setDelegate(std::move(delegate));
    if (m_highlightedLayer)
        m_highlightedLayer->removeFromSuperview();
}

void KRDOMActionElement::setHighlighted(bool highlighted)
{
    PF_ASSERT_MAIN_THREAD();
    KRDOMElement::setHighlighted(highlighted);
    // Held children: a child's highlight may call out to the host.
    for (std::size_t i = 0; i < childs().size(); i++) {
        KRDOMElementRef child = childs()[i];
        child->setHighlighted(highlighted);
    }
    if (!highlighted) {
        if (m_highlightedLayer)
            m_highlightedLayer->removeFromSuperview();
        return;
    }
    auto delegate = this->delegate();
    if (!delegate || !delegate->hasKRDOMElementHosting())
        return;
    if (!m_highlightedLayer)
        m_highlightedLayer = KRDOMLayer::create();
    pf::Rect area{0, 0, frame().width(), frame().height()};
    m_highlightedLayer->setCornerRadius(floatValueForKey("corner-radius"));
    m_highlightedLayer->setClipsToBounds(true);
    m_highlightedLayer->setBackgroundColor(colorValueForKey("action-color").value_or(pf::Color::rgb(0, 0, 0, 0.3)));
    KRDOMDocumentRef document = this->document();
    auto image = imageValueForKey("action-image", document ? document->bundle().get() : nullptr);
    pf::BitmapRef bitmap = image ? KRDOMImageCache::bitmapForImage(*image) : nullptr;
    m_highlightedLayer->setContents(bitmap);
    m_highlightedLayer->setContentsRect({0, 0, 1, 1});
    m_highlightedLayer->setContentsGravity(KRDOMLayer::gravityForName(stringValueForKey("action-gravity")));
    delegate->krDOMElementAddLayer(*this, m_highlightedLayer, area);
}
