#pragma once

// The full-screen viewer of a post's pictures. The opener stores the focus
// value "image" = {"images": [{"uri": …}, …], "pageIndex": n} and opens the
// viewer. Pictures page horizontally, each in a zoomable scroll view of its
// own (tag 200 + i, its image view tag 100); the title "%d/%d" (picture
// number from 1, count; "0/0" without pictures) reaches the views bound to
// `title` through the data outlets. The shown picture and its neighbours
// load at once, the others as they are reached. A single tap toggles the
// bars 0.3 s later, a double tap cancels that, hides the bars and toggles a
// 2x zoom. Saving writes the shown picture to the photo album and says
// whether that worked; before the picture arrived it says so instead.
//
// It asks for full-screen layout: on screen its view reaches up to the
// window's top edge, where the status bar shows, so that hiding the bars
// leaves no band above the pictures.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "platform/controls/ActionSheet.h"
#include "platform/controls/ScrollView.h"

class ZMRImageViewController : public ZMRViewController,
                               public pf::ScrollViewDelegate,
                               public pf::ActionSheetDelegate {
public:
    ZMRImageViewController() { setWantsFullScreenLayout(true); }

    const std::shared_ptr<pf::ScrollView>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<pf::ScrollView> view) { m_contentView = std::move(view); }
    pf::ArrayRef autoHiddenViews() const { return m_autoHiddenViews; }
    void setAutoHiddenViews(pf::ArrayRef views) { m_autoHiddenViews = std::move(views); }
    pf::ArrayRef images() const { return m_images; }
    int pageIndex() const { return m_pageIndex; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    // The save button: a sheet offering "保存到相册".
    void doImageAction(const pf::ObjectRef& sender);
    void actionSheetClickedButtonAtIndex(pf::ActionSheet& sheet, int buttonIndex) override;
    // Saves the shown picture and shows the outcome.
    void saveShownImage();

    void tapGestureAction();
    void delayTapGestureAction();
    void tap2GestureAction();
    void hiddenViews();
    void visableViews();

    void scrollViewDidScroll(pf::ScrollView& scrollView) override;
    pf::ViewRef viewForZoomingInScrollView(pf::ScrollView& scrollView) override;

    // The page scroll view of picture `index`, or null.
    std::shared_ptr<pf::ScrollView> pageView(int index) const;

private:
    int imageCount() const { return m_images ? static_cast<int>(m_images->count()) : 0; }
    void showPosition();
    // Stretches the view up to the window's top edge.
    void reachWindowTop();
    void loadImage(int index, bool onlyWhenIdle);

    std::weak_ptr<pf::View> m_unclippedHolder;
    bool m_holderClipped = false;
    std::shared_ptr<pf::ScrollView> m_contentView;
    pf::ArrayRef m_autoHiddenViews;
    pf::ArrayRef m_images;
    int m_pageIndex = 0;
};
