#pragma once

// The pictures of one feed entry as a sideways paged strip with a page
// indicator over its top edge: the native view of a feed row's element
// whose value "images" lists the entry's picture records (each record's
// "uri" is a picture's address) and whose "default-src" is the placeholder.
//
// A tap on an element that lists at least one picture writes the page on
// show into the element's "pageIndex" attribute (as "%d") and hands the
// element to its delegate as an action, so the list's screen can open the
// viewer at that page; every tap then sends the control's touch-up-inside
// actions, as a button would.
//
// Pages are ZMRImageViews (tag = page index) in `contentView`, w x max(0,
// H − 8) each for a strip W x H; an empty or missing list still shows one
// placeholder page. Only the shown page and up to kNearPages on either side
// hold views (a server may list any number of records, and a view each
// would cost unbounded time and memory); views move along as the strip
// scrolls. A post of up to kNearPages + 1 pictures thus has all its views
// from the start, and its pictures download with its row; pages of a longer
// list reached later get theirs with the list's next picture download.
// Rebuilding keeps the page views it can, by position. The
// page count and the current page are whole pages of the strip's width; a
// strip without width has 0 pages and shows page 0.
//
// Markup names it as the view class "ZMRFeedImageView". The element is not
// owned. Main queue only.

#include "app/screens/shared/ZMRPageControl.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRScrollView.h"
#include "platform/controls/Control.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

class ZMRImageView;

namespace pf {
class TapGestureRecognizer;
}

class ZMRFeedImageView : public pf::Control,
                         public KRActionFields,
                         public KRDOMElementDressable,
                         public KRScrollViewDelegate {
public:
    explicit ZMRFeedImageView(const pf::Rect& frame = {});

    // Both made on first use: the paging scroll view beneath everything,
    // whose delegate the strip is, and the indicator on top.
    const std::shared_ptr<KRScrollView>& contentView();
    const std::shared_ptr<ZMRPageControl>& pageControl();

    KRDOMElementRef element() const { return m_element.lock(); }
    // The dressing every view takes, then, for an element, its
    // "default-src" and its value "images" (anything but an array counts as
    // none).
    void setElement(const KRDOMElementRef& element) override;

    const pf::ArrayRef& images() const { return m_images; }
    void setImages(const pf::ArrayRef& images);
    const std::optional<std::string>& defaultSrc() const { return m_defaultSrc; }
    void setDefaultSrc(std::optional<std::string> src) { m_defaultSrc = std::move(src); }

    static constexpr int kNearPages = 8;

    // The page views, in page order.
    std::vector<std::shared_ptr<ZMRImageView>> pageViews() const;

    void tapGestureAction();
    void didMoveToWindow() override;
    void scrollViewDidContentOffsetChanged(KRScrollView& scrollView, pf::Point offset) override;

private:
    // Whole pages of the content view's width in `length`; 0 without width.
    int pagesIn(double length) const;
    void updatePageCount();
    // Gives the pages near the shown one their views, reusing the others'.
    void placePages();
    // Links that need the strip's owner: the recogniser's view, the scroll delegate.
    void linkToOwner();

    std::shared_ptr<pf::TapGestureRecognizer> m_tap;
    std::shared_ptr<KRScrollView> m_contentView;
    std::shared_ptr<ZMRPageControl> m_pageControl;
    std::weak_ptr<KRDOMElement> m_element;
    pf::ArrayRef m_images;
    std::optional<std::string> m_defaultSrc;
};
