#include "SocialTestSupport.h"

#include "platform/foundation/ClassBuilder.h"

UploadRecord*& uploadRecord()
{
    static UploadRecord* record = nullptr;
    return record;
}

bool TestUploadHttpService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    if (taskType != proto::IKRHttpUploadTask() || (uploadRecord() && uploadRecord()->refuse))
        return false;
    if (uploadRecord())
        uploadRecord()->uploads.push_back(std::dynamic_pointer_cast<KRHttpTask>(task));
    return true;
}

bool TestUploadHttpService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    if (taskType != proto::IKRHttpUploadTask())
        return false;
    if (uploadRecord())
        uploadRecord()->cancels.push_back(task);
    return true;
}

bool TestUploadHttpService::cancelHandleForSource(const pf::Object* source)
{
    if (uploadRecord()) {
        for (const auto& upload : uploadRecord()->uploads) {
            if (upload->sourceIdentity() == source)
                uploadRecord()->cancels.push_back(upload);
        }
    }
    return false;
}

void addSocialServices(const pf::DictionaryRef& config, const std::string& uploadUrl)
{
    pf::ArrayRef services = config->array("services");
    services->add(serviceEntry("ZMRCoinService", {"IZMRCoinTask", "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRPrizeService", {"IZMRPrizeBuyTask", "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRLikeService", {"IZMRLikeTask", "IZMRUnLikeTask", "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRCommentService", {"IZMRCommentTask", "IKRAPIResponseTask"}));
    auto upload = serviceEntry("ZMRImageUploadService", {"IZMRImageUploadTask"});
    upload->set("url", uploadUrl);
    services->add(upload);
    services->add(serviceEntry("ZMRPublishService", {"IZMRPublishTask", "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRUserService", {"IZMRUpdateUserTask", "IKRAPIResponseTask"}));
}

pf::DictionaryRef socialRoadConfig(const std::string& apiUrl, const std::string& uploadUrl)
{
    // The points task goes to its service here, not to the recorder.
    auto config = roadConfig(apiUrl, 5, false);
    addSocialServices(config, uploadUrl);
    return config;
}

void registerSocialTestClasses()
{
    static bool registered = false;
    if (!registered) {
        registered = true;
        pf::ClassBuilder<TestUploadHttpService>("TestUploadHttpService").superclass<KRService>().adopts(proto::IKRService()).commit();
    }
}

void SocialBus::SetUp()
{
    registerSocialTestClasses();
    uploadRecord() = &uploads;
    startBus({"IZMRConcernTask"}, [](const pf::DictionaryRef& config) { addSocialServices(config, "http://127.0.0.1:9/upload"); },
             pf::Value(serviceEntry("TestUploadHttpService", {"IKRHttpUploadTask"})));
}

void SocialBus::TearDown()
{
    uploadRecord() = nullptr;
    AuthBus::TearDown();
}

void SocialBus::endUpload(std::size_t index, const char* json)
{
    auto http = uploads.uploads.at(index);
    if (json) {
        http->setResponseBody(KRJSON::decodeText(json));
        http->delegate()->krHttpTaskDidLoaded(*http);
    } else {
        http->delegate()->krHttpTaskDidFailError(*http, pf::Error{"KRHttpService", -3, "timed out"});
    }
}
