#pragma once

// The set-portrait screen: the picture under a square crop frame as wide as
// the screen, between two shaded bands; the user moves and zooms it and
// presses "选取": the square under the frame (at most 640 × 640) goes to the
// delegate, which uploads it and answers a sequence number (-1: refused),
// and the outcome shows in a toast ("设置成功" closes the screen about 1.1 s
// later through didCancelled; a failure offers "重试"). "取消" closes at
// once. Each step is reported as a usage event. The status bar is hidden
// from the view's load until the screen goes away, then shown or hidden as
// it was before (whether the screen sat in a window of its own or was
// presented by a caller).
//
// Main queue only. The delegate is not retained.

#include "platform/controls/ScrollView.h"
#include "platform/graphics/Forward.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace pf {
class ActivityIndicatorView;
class BarButtonItem;
class ImageView;
class Label;
class Timer;
class Toolbar;
}
class APIResponse;
class SetHeadImageViewController;
class UINotifyView;

class setHeadImageDelegate {
public:
    virtual ~setHeadImageDelegate() = default;
    // The sequence number of the upload, -1 when refused.
    virtual int didFinishedSetUserLocalPic(SetHeadImageViewController&, const pf::ImageRef& image,
                                           const std::string& fileName) = 0;
    virtual void didCancelled(int seq) = 0;
};

// A crop frame: a one-point white outline, never touched.
class DestRectView : public pf::View {
public:
    explicit DestRectView(const pf::Rect& frame);
    bool drawsContent() const override { return true; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;
};

class SetHeadImageViewController : public pf::ViewController, public pf::ScrollViewDelegate {
public:
    static constexpr int kNickLimit = 24;

    SetHeadImageViewController(std::string appId, std::string fileName, std::weak_ptr<setHeadImageDelegate> delegate);
    ~SetHeadImageViewController() override;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    // Low memory closes the screen as "取消" does.
    void didReceiveMemoryWarning() override;

    // A picture over 2048 × 2048 pixels is first reduced to a longer side of 2048.
    void setImage(const pf::ImageRef& image);
    const pf::ImageRef& image() const { return m_image; }
    void setNick(const std::string& nick);
    const std::optional<std::string>& nick() const { return m_nick; }
    void resetImage();
    // The display size of a picture: its shorter side becomes 320.
    static pf::Size ajustDisplaySize(pf::Size size);
    // The text cut to `limit` units (a character below U+0100 counts 1, others
    // 2), with "…" when it was cut.
    static std::string stringByCVOSDKTruncateWithDotAtLimit(int limit, const std::string& text);
    // The pixels of the picture inside the rectangle (in pixels).
    static pf::ImageRef getSubImage(const pf::ImageRef& image, const pf::Rect& rect);

    void selectBtnClick();
    void cancelBtnClick();
    void onTimer();
    // The answer to this screen's upload: applied only when its seq is the
    // one the delegate gave the upload in flight; any other is ignored.
    void setUserHeadPicResponse(const std::shared_ptr<APIResponse>& response);
    void showNotify(const pf::ImageRef& image, const std::string& text);
    void removeNotifyView();
    // The application came to the front again.
    void onClickApp();

    bool setViewControllerData(const pf::DictionaryRef& data);
    bool setViewControllerResponse(const std::shared_ptr<APIResponse>& response);

    const std::shared_ptr<pf::ScrollView>& scrollView() const { return m_scrollView; }
    const std::shared_ptr<pf::BarButtonItem>& selectBtn() const { return m_selectBtn; }
    const std::shared_ptr<pf::Toolbar>& toolbar() const { return m_toolbar; }
    const std::shared_ptr<UINotifyView>& notify() const { return m_notify; }
    const std::shared_ptr<pf::Label>& nickLabel() const { return m_nickLabel; }
    int seq() const { return m_seq; }
    // A cut and upload is under way.
    bool isSetUserPic() const { return m_isSetUserPic; }
    const std::string& appId() const { return m_appId; }

    pf::ViewRef viewForZoomingInScrollView(pf::ScrollView&) override;
    void scrollViewWillBeginDragging(pf::ScrollView&) override;

private:
    void report(const char* action, bool withTime = false);
    pf::ImageRef sdkImage(const char* name) const;
    double band() const;
    void hideStatusBar();
    void restoreStatusBar();

    std::string m_appId;
    std::string m_fileName;
    std::weak_ptr<setHeadImageDelegate> m_delegate;
    std::shared_ptr<pf::ScrollView> m_scrollView;
    std::shared_ptr<pf::ImageView> m_headImage;
    std::shared_ptr<pf::ImageView> m_zzImage;
    std::shared_ptr<DestRectView> m_destRectView;
    std::shared_ptr<pf::View> m_topView;
    std::shared_ptr<pf::View> m_bottomView;
    std::shared_ptr<pf::Label> m_nickLabel;
    std::shared_ptr<pf::Toolbar> m_toolbar;
    std::shared_ptr<pf::BarButtonItem> m_cancelBtn;
    std::shared_ptr<pf::BarButtonItem> m_selectBtn;
    std::shared_ptr<pf::Label> m_lable;
    std::shared_ptr<pf::ActivityIndicatorView> m_activityView;
    std::shared_ptr<UINotifyView> m_notify;
    pf::ImageRef m_image;
    std::optional<std::string> m_nick;
    bool m_isCancelled = false;
    bool m_isSetUserPic = false;
    bool m_lastControllerStatusBarHidden = false;
    bool m_hidesStatusBar = false; // hidden by this screen, to be put back
    int m_seq = -1;
    double m_enterTime = 0;
    double m_clickTime = 0;
    std::uint64_t m_activeObserver = 0;
    std::shared_ptr<pf::Timer> m_notifyTimer; // the shown toast's removal
};
