#include "SocialTestSupport.h"

#include "app/services/ZMRLikeService.h"
#include "platform/foundation/ClassBuilder.h"

UploadRecord*& uploadRecord()
{
    static UploadRecord* record = nullptr;
    return record;
}

bool TestUploadHttpService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    if (taskType != proto::IKRHttpUploadTask())
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
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    pf::ArrayRef services = config->array("services");
    services->add(pf::Dictionary::create({{"class", "ZMRCoinService"}, {"taskTypes", list({"IZMRCoinTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRPrizeService"}, {"taskTypes", list({"IZMRPrizeBuyTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create(
        {{"class", "ZMRLikeService"}, {"taskTypes", list({"IZMRLikeTask", "IZMRUnLikeTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRCommentService"}, {"taskTypes", list({"IZMRCommentTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRImageUploadService"}, {"url", uploadUrl}, {"taskTypes", list({"IZMRImageUploadTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRPublishService"}, {"taskTypes", list({"IZMRPublishTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRUserService"}, {"taskTypes", list({"IZMRUpdateUserTask", "IKRAPIResponseTask"})}}));
}

pf::DictionaryRef socialRoadConfig(const std::string& apiUrl, const std::string& uploadUrl)
{
    auto config = roadConfig(apiUrl);
    // The points task goes to its service here, not to the recorder.
    pf::ArrayRef services = config->array("services");
    for (std::size_t i = 0; i < services->count(); ++i) {
        auto entry = services->at(i).dictionary();
        if (entry && entry->string("class") == "TestRecordingService") {
            services->removeAt(i);
            break;
        }
    }
    addSocialServices(config, uploadUrl);
    return config;
}

void SocialBus::SetUp()
{
    AuthBus::SetUp();
    static bool registered = false;
    if (!registered) {
        registered = true;
        pf::ClassBuilder<TestUploadHttpService>("TestUploadHttpService").superclass<KRService>().adopts(proto::IKRService()).commit();
    }
    uploadRecord() = &uploads;
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    auto services = pf::Array::create({
        pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", list({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
        pf::Dictionary::create({{"class", "TestRecordingService"}, {"taskTypes", list({"IZMRConcernTask"})}}),
        pf::Dictionary::create({{"class", "TestUploadHttpService"}, {"taskTypes", list({"IKRHttpUploadTask"})}}),
        pf::Dictionary::create({{"class", "TestAPIService"}, {"taskTypes", list({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
    });
    config = pf::Dictionary::create({{"services", services}});
    addSocialServices(config, "http://127.0.0.1:9/upload");
    shell = ZMRShell::create(config, nullptr);
    recorder->shell = shell;
    pf::NotificationCenter::defaultCenter().addObserver(ZMRLikeChangedNotification, observer, [this](const pf::Notification& n) {
        recorder->events.push_back(n.name);
    });
}

void SocialBus::TearDown()
{
    uploadRecord() = nullptr;
    AuthBus::TearDown();
}

pf::DictionaryRef SocialBus::entry(const std::string& serviceClass) const
{
    for (const pf::Value& value : *config->array("services")) {
        auto dictionary = value.dictionary();
        if (dictionary && dictionary->string("class") == serviceClass)
            return dictionary;
    }
    return nullptr;
}
