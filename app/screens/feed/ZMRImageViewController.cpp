#include "app/screens/feed/ZMRImageViewController.h"

#include "app/screens/shared/ZMRImageView.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/UIViewHidden.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/PhotoAlbum.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/PerformRequest.h"
#include "platform/ui/TapGestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kPageTag = 200;
constexpr int kImageTag = 100;


// "pageIndex" as a number or a decimal text; 0 for anything else.
long long indexValue(const pf::Value& value)
{
    double number = value.doubleValue();
    if (!std::isfinite(number))
        return 0;
    return static_cast<long long>(std::clamp(number, -1e9, 1e9));
}

}

void ZMRImageViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    auto context = this->context();
    auto focus = context ? context->focusValueForKey("image").dictionary() : nullptr;
    m_images = focus ? focus->array("images") : nullptr;
    int count = imageCount();
    m_pageIndex = count == 0 ? 0 : static_cast<int>(std::clamp<long long>(indexValue(focus->get("pageIndex")), 0, count - 1));
    showPosition();
    if (!m_contentView)
        return;
    auto self = std::dynamic_pointer_cast<ZMRImageViewController>(weak_from_this().lock());
    double w = m_contentView->bounds().width();
    double h = m_contentView->bounds().height();
    for (int i = 0; i < count; ++i) {
        auto page = std::make_shared<pf::ScrollView>(pf::Rect(i * w, 0, w, h));
        page->setTag(kPageTag + i);
        page->setShowsHorizontalScrollIndicator(false);
        page->setShowsVerticalScrollIndicator(false);
        page->setDelegate(self);
        page->setMaximumZoomScale(10.0);
        page->setBounces(false);
        page->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
        auto image = std::make_shared<ZMRImageView>(pf::Rect(0, 0, w, h));
        image->setTag(kImageTag);
        image->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
        image->setContentMode(pf::ImageGravity::ResizeAspect);
        auto entry = m_images->at(i).dictionary();
        image->setSrc(entry ? entry->string("uri") : std::nullopt);
        image->setSource(self);
        page->addSubview(image);
        m_contentView->addSubview(page);
        if (std::abs(m_pageIndex - i) < 2)
            loadImage(i, false);
    }
    m_contentView->setContentSize({count * w, 0});
    m_contentView->setContentOffset({m_pageIndex * w, 0}, false);

    std::weak_ptr<ZMRImageViewController> weak = self;
    auto single = std::make_shared<pf::TapGestureRecognizer>([weak](pf::GestureRecognizer&) {
        if (auto viewer = weak.lock())
            viewer->tapGestureAction();
    });
    auto twice = std::make_shared<pf::TapGestureRecognizer>([weak](pf::GestureRecognizer&) {
        if (auto viewer = weak.lock())
            viewer->tap2GestureAction();
    });
    twice->setNumberOfTapsRequired(2);
    // The double tap is asked first: the second tap of a pair is its, not
    // another single tap's, and it withdraws the first tap's pending toggle.
    view()->addGestureRecognizer(twice);
    view()->addGestureRecognizer(single);
}

void ZMRImageViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    // Already in place while it slides in, when it is in the window by now.
    reachWindowTop();
}

void ZMRImageViewController::viewDidAppear(bool animated)
{
    ZMRViewController::viewDidAppear(animated);
    reachWindowTop();
}

void ZMRImageViewController::reachWindowTop()
{
    if (!wantsFullScreenLayout() || !isViewLoaded())
        return;
    const pf::ViewRef& shown = view();
    auto holder = shown->superview();
    if (!holder || !shown->window())
        return;
    // The containers above keep the status bar's strip; the view goes under
    // it (and under any bar, which still draws on top). Its holder clips to
    // its own bounds, so it lets the view out while the viewer is on show.
    double top = holder->convertRectToView(holder->bounds(), nullptr).y();
    if (!(top > 0))
        return;
    if (!m_unclippedHolder.lock()) {
        m_unclippedHolder = holder;
        m_holderClipped = holder->clipsToBounds();
        holder->setClipsToBounds(false);
    }
    pf::Rect bounds = holder->bounds();
    shown->setFrame({bounds.x(), bounds.y() - top, bounds.width(), bounds.height() + top});
}

void ZMRImageViewController::viewWillDisappear(bool animated)
{
    ZMRViewController::viewWillDisappear(animated);
    pf::Application::shared().setStatusBarHidden(false);
    // Leaving slides the view away inside its holder's bounds again.
    if (auto holder = m_unclippedHolder.lock())
        holder->setClipsToBounds(m_holderClipped);
    m_unclippedHolder.reset();
}

void ZMRImageViewController::showPosition()
{
    char text[48];
    std::snprintf(text, sizeof text, "%d/%d", imageCount() == 0 ? 0 : m_pageIndex + 1, imageCount());
    setTitle(std::string(text));
    if (auto outlets = dataOutletContainer())
        outlets->applyDataOutlet(pf::Value(weak_from_this().lock()));
}

std::shared_ptr<pf::ScrollView> ZMRImageViewController::pageView(int index) const
{
    if (!m_contentView)
        return nullptr;
    for (const auto& child : m_contentView->subviews())
        if (child->tag() == kPageTag + index)
            return std::dynamic_pointer_cast<pf::ScrollView>(child);
    return nullptr;
}

void ZMRImageViewController::loadImage(int index, bool onlyWhenIdle)
{
    auto page = pageView(index);
    auto image = page ? std::dynamic_pointer_cast<KRImageView>(page->viewWithTag(kImageTag)) : nullptr;
    auto context = this->context();
    if (!image || !context || (onlyWhenIdle && (image->isLoaded() || image->isLoading())))
        return;
    context->handle(proto::IKRImageTask(), image, 0);
}

void ZMRImageViewController::scrollViewDidScroll(pf::ScrollView& scrollView)
{
    if (&scrollView != m_contentView.get())
        return;
    double w = scrollView.bounds().width();
    double page = w > 0 ? std::trunc(scrollView.contentOffset().x / w) : 0;
    int last = std::max(imageCount() - 1, 0);
    m_pageIndex = std::isfinite(page) ? static_cast<int>(std::clamp(page, 0.0, double(last))) : 0;
    showPosition();
    if (auto shown = pageView(m_pageIndex))
        shown->setZoomScale(1.0, true);
    for (int i = std::max(m_pageIndex - 1, 0); i <= m_pageIndex; ++i)
        loadImage(i, true);
}

pf::ViewRef ZMRImageViewController::viewForZoomingInScrollView(pf::ScrollView& scrollView)
{
    if (&scrollView == m_contentView.get())
        return nullptr;
    return scrollView.viewWithTag(kImageTag);
}

void ZMRImageViewController::tapGestureAction()
{
    auto self = weak_from_this().lock();
    std::weak_ptr<ZMRImageViewController> weak = std::static_pointer_cast<ZMRImageViewController>(self);
    pf::cancelPreviousPerformRequests(*this, "delayTapGestureAction");
    pf::performAfterDelay(self, "delayTapGestureAction", 0.3, [weak] {
        if (auto viewer = weak.lock())
            viewer->delayTapGestureAction();
    });
}

void ZMRImageViewController::delayTapGestureAction()
{
    if (pf::Application::shared().isStatusBarHidden())
        visableViews();
    else
        hiddenViews();
}

void ZMRImageViewController::tap2GestureAction()
{
    pf::cancelPreviousPerformRequests(*this, "delayTapGestureAction");
    if (!pf::Application::shared().isStatusBarHidden())
        hiddenViews();
    if (auto page = pageView(m_pageIndex))
        page->setZoomScale(page->zoomScale() == 1.0 ? 2.0 : 1.0, true);
}

void ZMRImageViewController::hiddenViews()
{
    if (m_autoHiddenViews)
        for (const pf::Value& item : *m_autoHiddenViews)
            if (auto shown = std::dynamic_pointer_cast<pf::View>(item.object()))
                setHidden(shown, true, true);
    pf::Application::shared().setStatusBarHidden(true);
    reachWindowTop();
}

void ZMRImageViewController::visableViews()
{
    if (m_autoHiddenViews)
        for (const pf::Value& item : *m_autoHiddenViews)
            if (auto shown = std::dynamic_pointer_cast<pf::View>(item.object()))
                setHidden(shown, false, true);
    pf::Application::shared().setStatusBarHidden(false);
}

void ZMRImageViewController::doImageAction(const pf::ObjectRef&)
{
    auto self = std::dynamic_pointer_cast<ZMRImageViewController>(weak_from_this().lock());
    auto sheet = std::make_shared<pf::ActionSheet>("", self, "取消", "", std::vector<std::string>{"保存到相册"});
    sheet->showInView(view());
}

void ZMRImageViewController::actionSheetClickedButtonAtIndex(pf::ActionSheet&, int buttonIndex)
{
    if (buttonIndex == 0)
        saveShownImage();
}

void ZMRImageViewController::saveShownImage()
{
    auto page = pageView(m_pageIndex);
    auto image = page ? std::dynamic_pointer_cast<KRImageView>(page->viewWithTag(kImageTag)) : nullptr;
    if (!image)
        return;
    if (!image->image() || image->image() == image->defaultImage()) {
        showAlert("图片还没有下载完成");
        return;
    }
    auto saved = pf::saveImageToPhotosAlbum(*image->image());
    if (!saved) {
        pf::log("ZMRImageViewController: saving failed: %s", saved.error().description.c_str());
        showAlert("保存失败");
        return;
    }
    showAlert("保存成功");
}
