// The session's portrait upload through the set-portrait screen.

#include "sdk/zz/CorvanaOAuth.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"

namespace {

constexpr double kMaxPortraitPoints = 3264.0 * 2448.0;
constexpr std::size_t kMaxPngBytes = 102400;

}

std::optional<pf::Bytes> CorvanaOAuth::portraitUploadData(const pf::ImageRef& image)
{
    if (!image || !image->bitmap())
        return std::nullopt;
    auto png = image->bitmap()->pngData();
    if (!png || png->empty())
        return std::nullopt;
    if (png->size() <= kMaxPngBytes)
        return *png;
    auto jpeg = image->jpegRepresentation(0.5);
    return jpeg ? std::optional<pf::Bytes>(*jpeg) : std::nullopt;
}

bool CorvanaOAuth::setUserHeadpic(const pf::ImageRef& pic, const std::optional<std::string>& filename)
{
    return setUserHeadpic(pic, filename, nullptr);
}

bool CorvanaOAuth::setUserHeadpic(const pf::ImageRef& pic, const std::optional<std::string>& filename,
                                  std::shared_ptr<SetHeadImageViewController>* outViewController)
{
    if (!isSessionValid() || !isOpenIdValid())
        return false;
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    // A picture with a zero side is refused like an oversized one.
    bool fits = pic && pic->pixelWidth() > 0 && pic->pixelHeight() > 0
        && pic->size().width * pic->size().height <= kMaxPortraitPoints;
    if (!fits) {
        auto response = std::make_shared<APIResponse>();
        response->setRetCode(1);
        response->setErrorMsg(std::string("设置头像图片过大, 需要小于(3264 * 2448)"));
        response->setDetailRetCode(65536);
        if (auto delegate = m_sessionDelegate.lock())
            delegate->setUserHeadpicResponse(response);
        return true;
    }
    if (!m_setUserHeaderImageKit)
        m_setUserHeaderImageKit = std::make_unique<SetUserHeaderImageUiKit>(m_appId);
    if (!m_userNick || m_userNick->empty())
        getUserInfoNotShow();
    std::weak_ptr<setHeadImageDelegate> delegate = self;
    std::string name = filename.value_or(std::string());
    if (outViewController)
        *outViewController = m_setUserHeaderImageKit->getHeadImageViewController(delegate, pic, name, m_userNick);
    else
        m_setUserHeaderImageKit->popSetHeadImageViewWnd(delegate, pic, name, m_userNick);
    return true;
}

int CorvanaOAuth::didFinishedSetUserLocalPic(SetHeadImageViewController&, const pf::ImageRef& image,
                                             const std::string& fileName)
{
    auto data = portraitUploadData(image);
    if (!data)
        return -1;
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    auto params = pf::Dictionary::create({ { "picture", pf::Value::data(std::move(*data)) },
                                           { "filename", fileName.empty() ? std::string("zzPic") : fileName } });
    auto api = std::make_shared<APIBase>(
        self,
        [](pf::Object& target, const std::shared_ptr<APIResponse>& response) {
            static_cast<CorvanaOAuth&>(target).setUserHeadpicResponse(response);
        },
        "POST", pf::Value(), std::weak_ptr<APIBaseDelegate>(self));
    m_apiRequests[std::to_string(api->seq())] = api;
    api->openUrl(CVOSDKServers::url(CVOSDKServers::Row::OAuth, "/user/set_user_face"), m_accessToken, m_openId, m_appId,
                 params);
    CVDataReport::mcaReportApi("user/set_user_face");
    return api->seq();
}

void CorvanaOAuth::setUserHeadpicResponse(const Response& response)
{
    if (!response)
        return;
    auto self = shared_from_this();
    deleteAPIRequestBySeq(std::to_string(response->seq()));
    if (m_setUserHeaderImageKit)
        m_setUserHeaderImageKit->setViewControllerResponse(response);
    if (response->retCode() == 0)
        CVOpenSDKErrorUtil::apiResponseConvert(*response);
    if (auto delegate = m_sessionDelegate.lock())
        delegate->setUserHeadpicResponse(response);
}

void CorvanaOAuth::didCancelled(int)
{
    if (m_closeTimer)
        m_closeTimer->invalidate();
    std::weak_ptr<CorvanaOAuth> weak = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    m_closeTimer = pf::RunLoop::main().scheduleTimer(pf::Seconds(0.1), false, [weak] {
        auto session = weak.lock();
        if (!session)
            return;
        session->m_closeTimer = nullptr;
        if (!session->m_setUserHeaderImageKit)
            return;
        // A screen handed out is the presenter's to dismiss: it hears first.
        auto controller = session->m_setUserHeaderImageKit->headImageViewController();
        if (auto delegate = session->m_sessionDelegate.lock())
            delegate->corvanaOAuthDoCloseViewController(*session, controller);
        if (session->m_setUserHeaderImageKit)
            session->m_setUserHeaderImageKit->doClose();
    });
}
