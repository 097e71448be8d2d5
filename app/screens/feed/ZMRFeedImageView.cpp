#include "app/screens/feed/ZMRFeedImageView.h"

#include "app/screens/shared/ZMRImageView.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/TapGestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kDotWidth = 17;
constexpr double kIndicatorY = 2;
constexpr double kIndicatorHeight = 12;
// The strip's bottom margin below its pages.
constexpr double kPageMargin = 8;

}

ZMRFeedImageView::ZMRFeedImageView(const pf::Rect& frame)
    : pf::Control(frame)
{
    // The recogniser reaches the strip through its view, never through a
    // link of its own to a strip that may be gone.
    m_tap = std::make_shared<pf::TapGestureRecognizer>([](pf::GestureRecognizer& recognizer) {
        if (auto strip = std::dynamic_pointer_cast<ZMRFeedImageView>(recognizer.view()))
            strip->tapGestureAction();
    });
    m_tap->setNumberOfTapsRequired(1);
    m_tap->setMaximumNumberOfTouches(1);
    addGestureRecognizer(m_tap);
}

void ZMRFeedImageView::linkToOwner()
{
    auto self = weak_from_this().lock();
    if (!self)
        return;
    // A view made in a constructor has no owner to link to yet: the links
    // are made again on first use once it is owned.
    if (!m_tap->view()) {
        removeGestureRecognizer(m_tap);
        addGestureRecognizer(m_tap);
    }
    if (m_contentView && !m_contentView->delegate())
        m_contentView->setDelegate(std::shared_ptr<KRScrollViewDelegate>(self, static_cast<KRScrollViewDelegate*>(this)));
}

void ZMRFeedImageView::didMoveToWindow()
{
    pf::Control::didMoveToWindow();
    linkToOwner();
}

const std::shared_ptr<KRScrollView>& ZMRFeedImageView::contentView()
{
    if (!m_contentView) {
        m_contentView = std::make_shared<KRScrollView>(pf::Rect({0, 0}, bounds().size));
        m_contentView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
        m_contentView->setPagingEnabled(true);
        m_contentView->setShowsHorizontalScrollIndicator(false);
        m_contentView->setShowsVerticalScrollIndicator(false);
        m_contentView->setBounces(false);
        // It only moves sideways; a status-bar tap is for the list around it.
        m_contentView->setScrollsToTop(false);
        insertSubview(m_contentView, 0);
    }
    linkToOwner();
    return m_contentView;
}

const std::shared_ptr<ZMRPageControl>& ZMRFeedImageView::pageControl()
{
    if (!m_pageControl) {
        m_pageControl = std::make_shared<ZMRPageControl>(pf::Rect(0, kIndicatorY, bounds().width(), kIndicatorHeight));
        m_pageControl->setAutoresizingMask(pf::Autoresizing::FlexibleLeftMargin | pf::Autoresizing::FlexibleRightMargin |
                                           pf::Autoresizing::FlexibleBottomMargin);
        m_pageControl->setUserInteractionEnabled(false);
        m_pageControl->setBackgroundColor(pf::Color::white(0.3, 0.3));
        m_pageControl->setCornerRadius(kIndicatorHeight / 2);
        m_pageControl->setClipsToBounds(true);
        m_pageControl->setHidesForSinglePage(true);
        m_pageControl->setHidden(true);
        addSubview(m_pageControl);
    }
    return m_pageControl;
}

void ZMRFeedImageView::setElement(const KRDOMElementRef& element)
{
    dressViewWithElement(*this, element.get());
    m_element = element;
    if (!element)
        return;
    auto src = element->attributeValueForKey("default-src");
    m_defaultSrc = src ? std::optional<std::string>(*src) : std::nullopt;
    setImages(element->valueForKey("images").array());
}

void ZMRFeedImageView::setImages(const pf::ArrayRef& images)
{
    m_images = images;
    const auto& scroll = contentView();
    std::size_t count = std::max<std::size_t>(1, images ? images->count() : 0);
    scroll->setContentSize({static_cast<double>(count) * bounds().width(), 0});
    updatePageCount();
    placePages();
}

void ZMRFeedImageView::placePages()
{
    const auto& scroll = contentView();
    const double w = bounds().width();
    const double h = std::max(0.0, bounds().height() - kPageMargin);
    const long count = std::max<long>(1, m_images ? static_cast<long>(m_images->count()) : 0);
    const long shown = std::clamp<long>(pagesIn(scroll->contentOffset().x), 0, count - 1);
    const long first = std::max<long>(0, shown - kNearPages);
    const long last = std::min<long>(count - 1, shown + kNearPages);
    // A view already at a page of the window stays there (its picture is
    // kept); the others are free for the pages that have none.
    std::vector<std::shared_ptr<ZMRImageView>> placed(static_cast<std::size_t>(last - first + 1));
    std::vector<std::shared_ptr<ZMRImageView>> spare;
    for (auto& page : pageViews()) {
        long at = page->tag();
        if (at >= first && at <= last && !placed[static_cast<std::size_t>(at - first)])
            placed[static_cast<std::size_t>(at - first)] = std::move(page);
        else
            spare.push_back(std::move(page));
    }
    std::size_t reused = 0;
    for (long i = first; i <= last; ++i) {
        auto& page = placed[static_cast<std::size_t>(i - first)];
        if (!page && reused < spare.size())
            page = spare[reused++];
        if (!page) {
            page = std::make_shared<ZMRImageView>();
            page->setContentMode(pf::ImageGravity::ResizeAspectFill);
            page->setClipsToBounds(true);
            scroll->addSubview(page);
        }
        page->setFrame({static_cast<double>(i) * w, 0, w, h});
        page->setTag(static_cast<int>(i));
        page->setDefaultSrc(m_defaultSrc);
        std::optional<std::string> src;
        if (m_images && static_cast<std::size_t>(i) < m_images->count()) {
            pf::Value uri = dataForKeyPath(m_images->at(static_cast<std::size_t>(i)), "uri");
            if (const std::string* text = uri.string())
                src = *text;
        }
        page->setSrc(std::move(src));
    }
    for (std::size_t i = reused; i < spare.size(); ++i)
        spare[i]->removeFromSuperview();
}

std::vector<std::shared_ptr<ZMRImageView>> ZMRFeedImageView::pageViews() const
{
    std::vector<std::shared_ptr<ZMRImageView>> pages;
    if (!m_contentView)
        return pages;
    for (const pf::ViewRef& child : m_contentView->subviews()) {
        if (auto page = std::dynamic_pointer_cast<ZMRImageView>(child))
            pages.push_back(std::move(page));
    }
    // Views moved along by scrolling stand anywhere among the subviews.
    std::stable_sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) { return a->tag() < b->tag(); });
    return pages;
}

int ZMRFeedImageView::pagesIn(double length) const
{
    double width = m_contentView ? m_contentView->bounds().width() : 0;
    // No width, no pages: the quotient would be infinite or not a number.
    if (!(width > 0) || !std::isfinite(length))
        return 0;
    double pages = std::trunc(length / width);
    return static_cast<int>(std::clamp(pages, 0.0, 1e6));
}

void ZMRFeedImageView::updatePageCount()
{
    const auto& indicator = pageControl();
    int pages = pagesIn(contentView()->contentSize().width);
    indicator->setNumberOfPages(pages);
    indicator->setCurrentPage(pagesIn(m_contentView->contentOffset().x));
    // Hidden whole, not only its dots: its shaded backing would stay.
    indicator->setHidden(pages <= 1);
    pf::Rect frame = indicator->frame();
    double width = kDotWidth * pages;
    indicator->setFrame({(bounds().width() - width) / 2, frame.y(), width, frame.height()});
}

void ZMRFeedImageView::scrollViewDidContentOffsetChanged(KRScrollView& scrollView, pf::Point offset)
{
    if (&scrollView != m_contentView.get())
        return;
    const int before = pageControl()->currentPage();
    pageControl()->setCurrentPage(pagesIn(offset.x));
    if (pageControl()->currentPage() != before)
        placePages();
}

void ZMRFeedImageView::tapGestureAction()
{
    // The element's delegate runs the screen's code, which may let go of this strip.
    auto self = shared_from_this();
    KRDOMElementRef element = m_element.lock();
    auto delegate = element ? element->delegate() : nullptr;
    auto images = element ? element->valueForKey("images").array() : nullptr;
    if (delegate && images && images->count() > 0) {
        element->setAttributeValue(std::to_string(pageControl()->currentPage()), "pageIndex");
        delegate->krDOMElementDoAction(*element);
    }
    sendActionsForControlEvents(pf::ControlEvent::TouchUpInside);
}
