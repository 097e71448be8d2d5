#include "app/screens/shared/ZMRImageView.h"

#include "app/screens/shared/ZMRLoadingView.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/graphics/Image.h"

namespace {

std::optional<std::string> attribute(const KRDOMElementRef& element, std::string_view key)
{
    if (!element)
        return std::nullopt;
    auto value = element->attributeValueForKey(key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

}

ZMRImageView::ZMRImageView(const pf::Rect& frame)
    : KRImageView(frame)
{
}

ZMRImageView::~ZMRImageView() = default;

void ZMRImageView::setElement(const KRDOMElementRef& element)
{
    dressViewWithElement(*this, element.get());
    setDefaultSrc(attribute(element, "default-src"));
    setSrc(attribute(element, "src"));
    setUserInteractionEnabled(true);
}

void ZMRImageView::setLoading(bool loading)
{
    KRImageView::setLoading(loading);
    if (!loading) {
        if (m_loadingView) {
            m_loadingView->stopAnimating();
            m_loadingView->removeFromSuperview();
            m_loadingView = nullptr;
        }
        return;
    }
    if (!m_loadingView) {
        m_loadingView = std::make_shared<ZMRLoadingView>(pf::Image::named("ico39.png"));
        m_loadingView->setAutoresizingMask(pf::Autoresizing::FlexibleLeftMargin | pf::Autoresizing::FlexibleRightMargin |
                                           pf::Autoresizing::FlexibleTopMargin | pf::Autoresizing::FlexibleBottomMargin);
    }
    pf::Size own = m_loadingView->frame().size;
    m_loadingView->setFrame(pf::Rect((bounds().width() - own.width) / 2, (bounds().height() - own.height) / 2, own.width,
                                     own.height));
    addSubview(m_loadingView);
    m_loadingView->startAnimating();
}
