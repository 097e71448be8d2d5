#include "app/services/ZMRServicesRegistration.h"

#include "app/services/ZMRAPIService.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthService.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRCoinService.h"
#include "app/services/ZMRCommentService.h"
#include "app/services/ZMRDownlinkService.h"
#include "app/services/ZMRImageUploadService.h"
#include "app/services/ZMRLikeService.h"
#include "app/services/ZMRPrizeService.h"
#include "app/services/ZMRPublishService.h"
#include "app/services/ZMRShell.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRStoreRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUserService.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/core/KRUplinkService.h"
#include "framework/db/KRDBRegistration.h"
#include "framework/db/KRDownlinkService.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/Window.h"
#include "platform/graphics/Image.h"

// Task fields of types the platform's values do not hold directly, as they
// read and write by key: a 32-bit status as a number, a bitmap as an image,
// a task type as its protocol's name.
template <> struct pf::detail::PropertyTraits<std::uint32_t> {
    static constexpr PropertyType type = PropertyType::LongLong;
    static Value to(std::uint32_t v) { return Value(static_cast<long long>(v)); }
    static std::uint32_t from(const Value& v) { return static_cast<std::uint32_t>(v.longLongValue()); }
    static bool accepts(const Value& v) { return v.isNumber(); }
};
template <> struct pf::detail::PropertyTraits<pf::BitmapRef> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const BitmapRef& v) { return v ? Value(Image::create(v)) : Value(); }
    static BitmapRef from(const Value& v)
    {
        auto image = v.objectAs<Image>();
        return image ? image->bitmap() : nullptr;
    }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.objectAs<Image>() != nullptr; }
};
template <> struct pf::detail::PropertyTraits<const pf::Protocol*> {
    static constexpr PropertyType type = PropertyType::String;
    static Value to(const Protocol* v) { return v ? Value(v->name()) : Value(); }
    static const Protocol* from(const Value& v)
    {
        auto name = v.stringValue();
        return name ? Protocol::named(*name) : nullptr;
    }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.stringValue().has_value(); }
};

namespace {

void registerTaskClasses()
{
    pf::ClassBuilder<ZMRAuthTask>("ZMRAuthTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRAuthTask())
        .commit();
    pf::ClassBuilder<ZMRLoginTask>("ZMRLoginTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRLoginTask())
        .property("account", &ZMRLoginTask::account, &ZMRLoginTask::setAccount)
        .property("password", &ZMRLoginTask::password, &ZMRLoginTask::setPassword)
        .commit();
    pf::ClassBuilder<ZMRRegisterTask>("ZMRRegisterTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRRegisterTask())
        .property("account", &ZMRRegisterTask::account, &ZMRRegisterTask::setAccount)
        .property("password", &ZMRRegisterTask::password, &ZMRRegisterTask::setPassword)
        .property("nick", &ZMRRegisterTask::nick, &ZMRRegisterTask::setNick)
        .commit();
    pf::ClassBuilder<ZMRLogoutTask>("ZMRLogoutTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRLogoutTask())
        .commit();
    pf::ClassBuilder<ZMRTokenTask>("ZMRTokenTask")
        .superclass<KRUplinkTask>()
        .property("token", &ZMRTokenTask::token, &ZMRTokenTask::setToken)
        .property("expires_in", &ZMRTokenTask::expires_in, &ZMRTokenTask::setExpires_in)
        .commit();
    pf::ClassBuilder<ZMRVoxlyLoginTask>("ZMRVoxlyLoginTask")
        .superclass<ZMRTokenTask>()
        .adopts(proto::IZMRVoxlyLoginTask())
        .commit();
    pf::ClassBuilder<ZMRVoxlyBindTask>("ZMRVoxlyBindTask")
        .superclass<ZMRTokenTask>()
        .adopts(proto::IZMRVoxlyBindTask())
        .commit();
    pf::ClassBuilder<ZMRZZLoginTask>("ZMRZZLoginTask")
        .superclass<ZMRTokenTask>()
        .adopts(proto::IZMRZZLoginTask())
        .commit();
    pf::ClassBuilder<ZMRZZBindTask>("ZMRZZBindTask")
        .superclass<ZMRTokenTask>()
        .adopts(proto::IZMRZZBindTask())
        .commit();
    pf::ClassBuilder<ZMRUpdateUserTask>("ZMRUpdateUserTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRUpdateUserTask())
        .property("nick", &ZMRUpdateUserTask::nick, &ZMRUpdateUserTask::setNick)
        .property("logo", &ZMRUpdateUserTask::logo, &ZMRUpdateUserTask::setLogo)
        .property("logoImage", &ZMRUpdateUserTask::logoImage, &ZMRUpdateUserTask::setLogoImage)
        .property("age", &ZMRUpdateUserTask::age, &ZMRUpdateUserTask::setAge)
        .property("classifyObjects", &ZMRUpdateUserTask::classifyObjects, &ZMRUpdateUserTask::setClassifyObjects)
        .property("constellation", &ZMRUpdateUserTask::constellation, &ZMRUpdateUserTask::setConstellation)
        .property("job", &ZMRUpdateUserTask::job, &ZMRUpdateUserTask::setJob)
        .property("city", &ZMRUpdateUserTask::city, &ZMRUpdateUserTask::setCity)
        .commit();
    pf::ClassBuilder<ZMRCoinTask>("ZMRCoinTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRCoinTask())
        .commit();
    pf::ClassBuilder<ZMRPrizeBuyTask>("ZMRPrizeBuyTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRPrizeBuyTask())
        .property("productId", &ZMRPrizeBuyTask::productId, &ZMRPrizeBuyTask::setProductId)
        .property("address", &ZMRPrizeBuyTask::address, &ZMRPrizeBuyTask::setAddress)
        .property("postCode", &ZMRPrizeBuyTask::postCode, &ZMRPrizeBuyTask::setPostCode)
        .property("name", &ZMRPrizeBuyTask::name, &ZMRPrizeBuyTask::setName)
        .property("phone", &ZMRPrizeBuyTask::phone, &ZMRPrizeBuyTask::setPhone)
        .property("other", &ZMRPrizeBuyTask::other, &ZMRPrizeBuyTask::setOther)
        .commit();
    pf::ClassBuilder<ZMRClassifyTask>("ZMRClassifyTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRClassifyTask())
        .commit();
    pf::ClassBuilder<ZMRClassifyGetTask>("ZMRClassifyGetTask")
        .superclass<KRTask>()
        .adopts(proto::IZMRClassifyGetTask())
        .property("cid", &ZMRClassifyGetTask::cid, &ZMRClassifyGetTask::setCid)
        .property("dataObject", &ZMRClassifyGetTask::dataObject, &ZMRClassifyGetTask::setDataObject)
        .commit();
    pf::ClassBuilder<ZMRImageUploadTask>("ZMRImageUploadTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRImageUploadTask())
        .property("image", &ZMRImageUploadTask::image, &ZMRImageUploadTask::setImage)
        .property("maxWidth", &ZMRImageUploadTask::maxWidth, &ZMRImageUploadTask::setMaxWidth)
        .property("imageSize", &ZMRImageUploadTask::imageSize, &ZMRImageUploadTask::setImageSize)
        .property("resultsData", &ZMRImageUploadTask::resultsData, &ZMRImageUploadTask::setResultsData)
        .commit();
    pf::ClassBuilder<ZMRUserImageUploadTask>("ZMRUserImageUploadTask")
        .superclass<ZMRImageUploadTask>()
        .property("task", &ZMRUserImageUploadTask::task, &ZMRUserImageUploadTask::setTask)
        .property("taskType", &ZMRUserImageUploadTask::taskType, &ZMRUserImageUploadTask::setTaskType)
        .commit();
    pf::ClassBuilder<ZMRPublishImageUploadTask>("ZMRPublishImageUploadTask")
        .superclass<ZMRImageUploadTask>()
        .property("worker", &ZMRPublishImageUploadTask::worker, &ZMRPublishImageUploadTask::setWorker)
        .commit();
    pf::ClassBuilder<ZMRFollowTask>("ZMRFollowTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRFollowTask())
        .property("tuid", &ZMRFollowTask::tuid, &ZMRFollowTask::setTuid)
        .commit();
    pf::ClassBuilder<ZMRUnFollowTask>("ZMRUnFollowTask")
        .superclass<ZMRFollowTask>()
        .adopts(proto::IZMRUnFollowTask())
        .commit();
    pf::ClassBuilder<ZMRConcernTask>("ZMRConcernTask")
        .superclass<KRTask>()
        .adopts(proto::IZMRConcernTask())
        .property("status", &ZMRConcernTask::status, &ZMRConcernTask::setStatus)
        .property("pageIndex", &ZMRConcernTask::pageIndex, &ZMRConcernTask::setPageIndex)
        .commit();
    pf::ClassBuilder<ZMRRefreshUserTask>("ZMRRefreshUserTask")
        .superclass<KRTask>()
        .adopts(proto::IZMRRefreshUserTask())
        .property("data", &ZMRRefreshUserTask::data, &ZMRRefreshUserTask::setData)
        .commit();
    pf::ClassBuilder<ZMRBooksCreateTask>("ZMRBooksCreateTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRBooksCreateTask())
        .property("payMoney", &ZMRBooksCreateTask::payMoney, &ZMRBooksCreateTask::setPayMoney)
        .property("expendMoney", &ZMRBooksCreateTask::expendMoney, &ZMRBooksCreateTask::setExpendMoney)
        .property("latitude", &ZMRBooksCreateTask::latitude, &ZMRBooksCreateTask::setLatitude)
        .property("longitude", &ZMRBooksCreateTask::longitude, &ZMRBooksCreateTask::setLongitude)
        .property("shopTitle", &ZMRBooksCreateTask::shopTitle, &ZMRBooksCreateTask::setShopTitle)
        .property("shopAddress", &ZMRBooksCreateTask::shopAddress, &ZMRBooksCreateTask::setShopAddress)
        .property("remark", &ZMRBooksCreateTask::remark, &ZMRBooksCreateTask::setRemark)
        .property("classifyObjects", &ZMRBooksCreateTask::classifyObjects, &ZMRBooksCreateTask::setClassifyObjects)
        .commit();
    pf::ClassBuilder<ZMRBooksSearchTask>("ZMRBooksSearchTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRBooksSearchTask())
        .property("startTime", &ZMRBooksSearchTask::startTime, &ZMRBooksSearchTask::setStartTime)
        .property("endTime", &ZMRBooksSearchTask::endTime, &ZMRBooksSearchTask::setEndTime)
        .commit();
    pf::ClassBuilder<ZMRLikeTask>("ZMRLikeTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRLikeTask())
        .property("pid", &ZMRLikeTask::pid, &ZMRLikeTask::setPid)
        .property("indexPath", &ZMRLikeTask::indexPath, &ZMRLikeTask::setIndexPath)
        .commit();
    pf::ClassBuilder<ZMRUnLikeTask>("ZMRUnLikeTask")
        .superclass<ZMRLikeTask>()
        .adopts(proto::IZMRUnLikeTask())
        .commit();
    pf::ClassBuilder<ZMRCommentTask>("ZMRCommentTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRCommentTask())
        .property("body", &ZMRCommentTask::body, &ZMRCommentTask::setBody)
        .property("publishId", &ZMRCommentTask::publishId, &ZMRCommentTask::setPublishId)
        .property("commentId", &ZMRCommentTask::commentId, &ZMRCommentTask::setCommentId)
        .commit();
    pf::ClassBuilder<ZMRPublishTask>("ZMRPublishTask")
        .superclass<KRUplinkTask>()
        .adopts(proto::IZMRPublishTask())
        .property("body", &ZMRPublishTask::body, &ZMRPublishTask::setBody)
        .property("images", &ZMRPublishTask::images, &ZMRPublishTask::setImages)
        .property("tagObjects", &ZMRPublishTask::tagObjects, &ZMRPublishTask::setTagObjects)
        .property("classifyObjects", &ZMRPublishTask::classifyObjects, &ZMRPublishTask::setClassifyObjects)
        .property("payMoney", &ZMRPublishTask::payMoney, &ZMRPublishTask::setPayMoney)
        .property("expendMoney", &ZMRPublishTask::expendMoney, &ZMRPublishTask::setExpendMoney)
        .property("latitude", &ZMRPublishTask::latitude, &ZMRPublishTask::setLatitude)
        .property("longitude", &ZMRPublishTask::longitude, &ZMRPublishTask::setLongitude)
        .property("toVoxly", &ZMRPublishTask::toVoxly, &ZMRPublishTask::setToVoxly)
        .property("toZZ", &ZMRPublishTask::toZZ, &ZMRPublishTask::setToZZ)
        .commit();
}

}

namespace {

// What interface files and templates reach on the shell: the window outlet
// and the user, which screens' templates read as "{context.nick}".
void registerShellClass()
{
    registerUIClasses();
    pf::ClassBuilder<ZMRShell>("ZMRShell")
        .superclass<KRShell>()
        .adopts(proto::IKRUIContext())
        .noFactory()
        .property("window", &ZMRShell::window, &ZMRShell::setWindow)
        .readonlyProperty("uid", &ZMRShell::uid)
        .readonlyProperty("account", &ZMRShell::account)
        .readonlyProperty("nick", &ZMRShell::nick)
        .readonlyProperty("integral", &ZMRShell::integral)
        .readonlyProperty("userInfo", &ZMRShell::userInfo)
        .commit();
}

}

void registerServicesClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerCoreClasses();
    registerHttpClasses();
    registerDBClasses();
    proto::defineServicesProtocols();
    registerTaskClasses();
    registerStoreClasses();
    pf::ClassBuilder<ZMRAPIService>("ZMRAPIService").superclass<KRService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRAuthService>("ZMRAuthService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRCoinService>("ZMRCoinService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRPrizeService>("ZMRPrizeService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRLikeService>("ZMRLikeService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRCommentService>("ZMRCommentService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRImageUploadService>("ZMRImageUploadService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRPublishService>("ZMRPublishService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRUserService>("ZMRUserService").superclass<KRUplinkService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<ZMRDownlinkService>("ZMRDownlinkService").superclass<KRDownlinkService>().adopts(proto::IKRService()).commit();
    registerShellClass();
}
