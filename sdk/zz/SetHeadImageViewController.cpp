#include "sdk/zz/SetHeadImageViewController.h"

#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/BarItem.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/controls/Toolbar.h"
#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Application.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKReachability.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/UINotifyView.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kMaxPixels = 2048.0 * 2048.0;
constexpr double kMaxSide = 640;
constexpr double kToolbarHeight = 55;
constexpr const char* kNetworkText = "网络有问题，检查一下网络再重试:)";

double now() { return pf::Date::now().seconds; }

pf::ImageRef scaledTo(const pf::ImageRef& image, pf::Size points)
{
    auto scaled = image->scaledToSize(points, 1);
    return scaled ? *scaled : image;
}

}

DestRectView::DestRectView(const pf::Rect& frame) : pf::View(frame)
{
    setBackgroundColor(pf::Color::clear());
    setUserInteractionEnabled(false);
}

void DestRectView::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    pf::Rect box = bounds();
    context.strokeRect(pf::Rect(box.origin.x + 0.5, box.origin.y + 0.5, box.size.width - 1, box.size.height - 1),
                       pf::Color::whiteColor(), 1);
}

SetHeadImageViewController::SetHeadImageViewController(std::string appId, std::string fileName,
                                                       std::weak_ptr<setHeadImageDelegate> delegate)
    : m_appId(std::move(appId))
    , m_fileName(fileName.empty() ? "zzPic" : std::move(fileName))
    , m_delegate(std::move(delegate))
{
    setWantsFullScreenLayout(true);
}

SetHeadImageViewController::~SetHeadImageViewController()
{
    if (m_activeObserver)
        pf::NotificationCenter::defaultCenter().removeObserver(m_activeObserver);
    // Dropped while still shown (its window torn down without a disappearance).
    restoreStatusBar();
}

void SetHeadImageViewController::hideStatusBar()
{
    if (m_hidesStatusBar)
        return;
    auto& application = pf::Application::shared();
    m_lastControllerStatusBarHidden = application.isStatusBarHidden();
    m_hidesStatusBar = true;
    application.setStatusBarHidden(true);
}

void SetHeadImageViewController::restoreStatusBar()
{
    if (std::exchange(m_hidesStatusBar, false))
        pf::Application::shared().setStatusBarHidden(m_lastControllerStatusBarHidden);
}

void SetHeadImageViewController::viewWillAppear(bool animated)
{
    pf::ViewController::viewWillAppear(animated);
    // Shown again after going away once.
    hideStatusBar();
}

void SetHeadImageViewController::viewWillDisappear(bool animated)
{
    pf::ViewController::viewWillDisappear(animated);
    restoreStatusBar();
}

double SetHeadImageViewController::band() const
{
    pf::Rect box = const_cast<SetHeadImageViewController*>(this)->view()->bounds();
    return (box.size.height - box.size.width) / 2;
}

pf::ImageRef SetHeadImageViewController::sdkImage(const char* name) const
{
    std::string path = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/" + name + "@2x.png";
    auto image = pf::Image::contentsOfFile(path);
    return image ? *image : nullptr;
}

void SetHeadImageViewController::report(const char* action, bool withTime)
{
    if (withTime)
        CVDataReport::reportDataWithTime(0, pf::Value(action), m_appId, now() - m_enterTime, std::nullopt);
    else
        CVDataReport::reportData(0, pf::Value(action), m_appId, std::nullopt);
}

void SetHeadImageViewController::viewDidLoad()
{
    auto root = view();
    pf::Rect box = root->bounds();
    double W = box.size.width;
    double T = band();
    auto self = std::static_pointer_cast<SetHeadImageViewController>(shared_from_this());
    hideStatusBar();

    m_scrollView = std::make_shared<pf::ScrollView>(box);
    m_scrollView->setBackgroundColor(pf::Color::black());
    m_scrollView->setShowsVerticalScrollIndicator(false);
    m_scrollView->setShowsHorizontalScrollIndicator(false);
    m_scrollView->setDelegate(self);
    root->addSubview(m_scrollView);
    m_headImage = std::make_shared<pf::ImageView>(pf::Rect());
    m_scrollView->addSubview(m_headImage);

    pf::Color shade = pf::Color::rgb(0, 0, 0, 0.6);
    m_topView = std::make_shared<pf::View>(pf::Rect(0, 0, W, T));
    m_topView->setBackgroundColor(shade);
    root->addSubview(m_topView);
    m_bottomView = std::make_shared<pf::View>(pf::Rect(0, T + W, W, T));
    m_bottomView->setBackgroundColor(shade);
    root->addSubview(m_bottomView);
    m_destRectView = std::make_shared<DestRectView>(pf::Rect(0, T, W, W));
    root->addSubview(m_destRectView);

    m_nickLabel = std::make_shared<pf::Label>(pf::Rect(0, 25, W, T / 2));
    m_nickLabel->setNumberOfLines(1);
    m_nickLabel->setFont(pf::Font::system(18));
    m_nickLabel->setTextColor(pf::Color::whiteColor());
    m_nickLabel->setTextAlignment(pf::TextAlignment::Center);
    m_topView->addSubview(m_nickLabel);
    m_zzImage = std::make_shared<pf::ImageView>(pf::Rect(30, 20, 18, 20));
    m_zzImage->setImage(sdkImage("zzicon"));
    m_topView->addSubview(m_zzImage);

    m_toolbar = std::make_shared<pf::Toolbar>(pf::Rect(0, T - kToolbarHeight, W, kToolbarHeight));
    m_cancelBtn = std::make_shared<pf::BarButtonItem>("取消", pf::BarButtonItemStyle::Done);
    m_cancelBtn->setTarget(self, [](pf::Object& target, pf::BarButtonItem&) {
        static_cast<SetHeadImageViewController&>(target).cancelBtnClick();
    });
    m_selectBtn = std::make_shared<pf::BarButtonItem>("选取", pf::BarButtonItemStyle::Done);
    m_selectBtn->setTarget(self, [](pf::Object& target, pf::BarButtonItem&) {
        static_cast<SetHeadImageViewController&>(target).selectBtnClick();
    });
    m_cancelBtn->setWidth(60);
    m_selectBtn->setWidth(60);
    // The space between puts "取消" at the left edge and "选取" at the right.
    auto space = std::make_shared<pf::BarButtonItem>(pf::BarButtonSystemItem::FlexibleSpace, nullptr,
                                                     pf::BarButtonItem::Action());
    m_toolbar->setItems({ m_cancelBtn, space, m_selectBtn });
    // A black translucent bar under white items and hint.
    m_toolbar->setBackgroundColor(pf::Color::rgb(0, 0, 0, 0.7));
    m_toolbar->setTintColor(pf::Color::whiteColor());
    m_bottomView->addSubview(m_toolbar);
    m_lable = std::make_shared<pf::Label>(pf::Rect((W - 90) / 2, (kToolbarHeight - 30) / 2, 90, 30));
    m_lable->setText("移动和缩放");
    m_lable->setFont(pf::Font::system(14));
    m_lable->setTextColor(pf::Color::whiteColor());
    m_lable->setTextAlignment(pf::TextAlignment::Center);
    m_toolbar->addSubview(m_lable);

    m_activityView = std::make_shared<pf::ActivityIndicatorView>(pf::ActivityIndicatorViewStyle::WhiteLarge);
    m_activityView->setHidesWhenStopped(true);
    m_activityView->setCenter(pf::Point{root->center().x, 240});
    root->addSubview(m_activityView);
    m_activityView->startAnimating();

    std::weak_ptr<SetHeadImageViewController> weak = self;
    m_activeObserver = pf::NotificationCenter::defaultCenter().addObserver(
        pf::ApplicationDidBecomeActiveNotification, self, [weak](const pf::Notification&) {
            if (auto controller = weak.lock())
                controller->onClickApp();
        });
    m_enterTime = now();
    if (m_image)
        resetImage();
    if (m_nick)
        setNick(*m_nick);
}

pf::Size SetHeadImageViewController::ajustDisplaySize(pf::Size size)
{
    if (size.width <= 0 || size.height <= 0)
        return pf::Size{0, 0};
    if (size.width > size.height)
        return pf::Size{size.width * 320 / size.height, 320};
    return pf::Size{320, size.height * 320 / size.width};
}

void SetHeadImageViewController::setImage(const pf::ImageRef& image)
{
    // A picture with a zero side has nothing to cut.
    if (!image || image->pixelWidth() <= 0 || image->pixelHeight() <= 0)
        return;
    m_image = image;
    double w = image->pixelWidth();
    double h = image->pixelHeight();
    if (w * h > kMaxPixels) {
        double factor = 2048 / std::max(w, h);
        m_image = scaledTo(image, pf::Size{w * factor, h * factor});
    }
    if (isViewLoaded()) {
        resetImage();
        m_activityView->stopAnimating();
    }
}

void SetHeadImageViewController::resetImage()
{
    if (!m_image || !m_scrollView)
        return;
    pf::Size natural{static_cast<double>(m_image->pixelWidth()), static_cast<double>(m_image->pixelHeight())};
    pf::Size display = ajustDisplaySize(natural);
    double zoom = display.width / natural.width;
    double T = band();
    m_scrollView->setMinimumZoomScale(zoom);
    m_scrollView->setMaximumZoomScale(zoom > 0.5 ? 2 * zoom : 1.0);
    m_scrollView->setZoomScale(1);
    m_headImage->setImage(m_image);
    m_headImage->setFrame(pf::Rect(0, 0, natural.width, natural.height));
    m_scrollView->setContentSize(natural);
    m_scrollView->setContentInset(pf::EdgeInsets{T, 0, T + 1, 1});
    m_scrollView->setZoomScale(zoom);
    m_scrollView->setContentSize(display);
    m_scrollView->setContentOffset(pf::Point{(display.width - 320) / 2, (display.height - 320) / 2 - T});
}

std::string SetHeadImageViewController::stringByCVOSDKTruncateWithDotAtLimit(int limit, const std::string& text)
{
    // Each character: where it starts in the text and whether it counts 1 (below U+0100).
    std::vector<std::pair<std::size_t, int>> characters;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        bool narrow = lead < 0x80 || (lead & 0xFE) == 0xC2; // U+0000 to U+00FF
        characters.emplace_back(i, narrow ? 1 : 2);
        i += length;
    }
    int used = 0;
    for (std::size_t i = 0; i < characters.size(); i++) {
        if (used + characters[i].second > limit) {
            std::size_t keep = i == 0 ? 0 : characters[i - 1].first;
            return text.substr(0, keep) + "…";
        }
        used += characters[i].second;
    }
    return text;
}

void SetHeadImageViewController::setNick(const std::string& nick)
{
    m_nick = nick;
    if (!m_nickLabel)
        return;
    std::string shown = stringByCVOSDKTruncateWithDotAtLimit(kNickLimit, nick);
    m_nickLabel->setText(shown);
    pf::Size text = m_nickLabel->sizeThatFits(pf::Size{view()->bounds().size.width, 100});
    double iconWidth = m_zzImage->frame().size.width;
    double x = (view()->bounds().size.width - text.width - iconWidth) / 2;
    m_zzImage->setFrame(pf::Rect(x, 25, iconWidth, m_zzImage->frame().size.height));
    m_nickLabel->setFrame(pf::Rect(x + iconWidth + 3.5, 25, text.width, text.height));
}

pf::ImageRef SetHeadImageViewController::getSubImage(const pf::ImageRef& image, const pf::Rect& rect)
{
    int width = static_cast<int>(std::floor(rect.size.width));
    int height = static_cast<int>(std::floor(rect.size.height));
    if (!image || width <= 0 || height <= 0)
        return nullptr;
    auto bitmap = pf::Bitmap::create(width, height, 1);
    if (!bitmap)
        return nullptr;
    {
        auto context = pf::GraphicsContext::create(**bitmap);
        if (!context)
            return nullptr;
        (*context)->drawImage(*image->bitmap(),
                              pf::Rect(-rect.origin.x, -rect.origin.y, image->pixelWidth(), image->pixelHeight()));
    }
    return pf::Image::create(*bitmap);
}

void SetHeadImageViewController::selectBtnClick()
{
    m_selectBtn->setEnabled(false);
    m_clickTime = now();
    if (m_selectBtn->title() == "重试")
        report("10657");
    else
        report("10655", true);
    std::weak_ptr<SetHeadImageViewController> weak = std::static_pointer_cast<SetHeadImageViewController>(shared_from_this());
    pf::RunLoop::main().scheduleTimer(pf::Seconds(0.01), false, [weak] {
        if (auto controller = weak.lock())
            controller->onTimer();
    });
}

void SetHeadImageViewController::onTimer()
{
    auto self = shared_from_this();
    m_isSetUserPic = true;
    auto watcher = CVOSDKReachability::reachabilityWithHostName(CVOSDKServers::watchedHost());
    if (!watcher || watcher->currentReachabilityStatus() == CVOSDKReachability::NotReachable) {
        m_selectBtn->setEnabled(true);
        m_isCancelled = false;
        m_isSetUserPic = false;
        m_selectBtn->setTitle(std::string("重试"));
        showNotify(sdkImage("error"), kNetworkText);
        return;
    }
    // Chosen before the picture arrived: nothing to cut, so the choice ends
    // here and can be made again.
    if (!m_image || m_image->pixelWidth() <= 0 || m_image->pixelHeight() <= 0) {
        m_isSetUserPic = false;
        m_selectBtn->setEnabled(true);
        return;
    }
    double z = m_scrollView->zoomScale();
    pf::Point o = m_scrollView->contentOffset();
    double T = band();
    auto cut = [](const pf::ImageRef& picture, const pf::Rect& square) {
        auto part = getSubImage(picture, square);
        if (part && part->pixelWidth() > kMaxSide)
            part = scaledTo(part, pf::Size{kMaxSide, kMaxSide});
        return part;
    };
    auto delegate = m_delegate.lock();
    pf::ImageRef square = cut(m_image, pf::Rect((o.x + 1) / z, (o.y + T + 1) / z, 318 / z, 318 / z));
    m_seq = delegate && square ? delegate->didFinishedSetUserLocalPic(*this, square, m_fileName) : -1;
    if (m_seq == -1) {
        double side = std::floor(std::min(m_image->pixelWidth(), m_image->pixelHeight()) / 2.0);
        square = cut(m_image, pf::Rect(m_image->pixelWidth() / 4.0, m_image->pixelHeight() / 4.0, side, side));
        m_seq = delegate && square ? delegate->didFinishedSetUserLocalPic(*this, square, m_fileName) : -1;
        if (m_seq == -1) {
            m_isSetUserPic = false;
            m_selectBtn->setEnabled(true);
            return;
        }
    }
    m_activityView->startAnimating();
}

void SetHeadImageViewController::setUserHeadPicResponse(const std::shared_ptr<APIResponse>& response)
{
    // The session hands every upload answer to the screen it shows now, so an
    // earlier screen's answer may arrive while this screen's upload is in
    // flight: only the answer carrying this upload's sequence number is this
    // screen's (none is before its view loaded or once answered).
    if (!response || m_seq == -1 || response->seq() != m_seq)
        return;
    m_selectBtn->setEnabled(true);
    m_seq = -1;
    m_isSetUserPic = false;
    m_isCancelled = true;
    m_activityView->stopAnimating();
    pf::ImageRef image;
    std::string text;
    if (response->retCode() != 0 || !response->jsonResponse()) {
        m_isCancelled = false;
        image = sdkImage("error");
        m_selectBtn->setTitle(std::string("重试"));
        report("10660");
        text = kNetworkText;
    } else if (pf::Value retValue = response->jsonResponse()->get("ret"); auto ret = retValue.number()) {
        if (ret->asDouble() == 0) {
            image = sdkImage("success");
            report("10658");
            text = "设置成功";
        } else {
            image = sdkImage("error");
            m_isCancelled = false;
            m_selectBtn->setTitle(std::string("重试"));
            report("10660");
            text = "设置出错了，请重新登录再尝试下呢:)";
        }
    }
    if (m_notify)
        m_notify->removeFromSuperview();
    m_notify = nullptr;
    showNotify(image, text);
}

void SetHeadImageViewController::showNotify(const pf::ImageRef& image, const std::string& text)
{
    if (m_notify) {
        m_notify->setImage(image);
        m_notify->setText(text);
    } else {
        m_notify = UINotifyView::notifyViewWithImage(image, text);
        m_notify->setCenter(view()->center());
    }
    if (m_notify->isAnimating())
        return;
    m_notify->presentWithDuration(1.0, 0.5, view(), nullptr);
    // An older toast's removal must not take this one early nor tell the
    // delegate twice that the screen is done.
    if (m_notifyTimer)
        m_notifyTimer->invalidate();
    std::weak_ptr<SetHeadImageViewController> weak = std::static_pointer_cast<SetHeadImageViewController>(shared_from_this());
    m_notifyTimer = pf::RunLoop::main().scheduleTimer(pf::Seconds(1.1), false, [weak] {
        if (auto controller = weak.lock()) {
            controller->m_notifyTimer = nullptr;
            controller->removeNotifyView();
        }
    });
}

void SetHeadImageViewController::removeNotifyView()
{
    auto self = shared_from_this();
    if (m_notify) {
        m_notify->removeFromSuperview();
        m_notify = nullptr;
    }
    if (m_isCancelled)
        if (auto delegate = m_delegate.lock())
            delegate->didCancelled(m_seq);
}

void SetHeadImageViewController::cancelBtnClick()
{
    auto self = shared_from_this();
    m_clickTime = now();
    report("10656", true);
    if (auto delegate = m_delegate.lock())
        delegate->didCancelled(m_seq);
}

void SetHeadImageViewController::didReceiveMemoryWarning()
{
    pf::ViewController::didReceiveMemoryWarning();
    cancelBtnClick();
}

void SetHeadImageViewController::onClickApp()
{
    if (m_isSetUserPic) {
        m_activityView->stopAnimating();
        selectBtnClick();
    } else if (m_notify && m_notify->isAnimating()) {
        std::weak_ptr<SetHeadImageViewController> weak = std::static_pointer_cast<SetHeadImageViewController>(shared_from_this());
        m_notify->presentWithDuration(1.0, 0.5, view(), [weak] {
            if (auto controller = weak.lock())
                controller->removeNotifyView();
        });
    }
}

bool SetHeadImageViewController::setViewControllerData(const pf::DictionaryRef& data)
{
    auto nick = data ? data->string("nick") : std::nullopt;
    if (!nick || nick->empty())
        return false;
    setNick(*nick);
    return true;
}

bool SetHeadImageViewController::setViewControllerResponse(const std::shared_ptr<APIResponse>& response)
{
    if (!response)
        return false;
    setUserHeadPicResponse(response);
    return true;
}

pf::ViewRef SetHeadImageViewController::viewForZoomingInScrollView(pf::ScrollView&) { return m_headImage; }

void SetHeadImageViewController::scrollViewWillBeginDragging(pf::ScrollView&) { report("10654"); }
