#include "SocialTestSupport.h"

#include "app/services/ZMRLikeService.h"

void addSocialServices(const pf::DictionaryRef& config, [[maybe_unused]] const std::string& uploadUrl)
{
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    pf::ArrayRef services = config->array("services");
    services->add(pf::Dictionary::create({{"class", "ZMRCoinService"}, {"taskTypes", list({"IZMRCoinTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRPrizeService"}, {"taskTypes", list({"IZMRPrizeBuyTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create(
        {{"class", "ZMRLikeService"}, {"taskTypes", list({"IZMRLikeTask", "IZMRUnLikeTask", "IKRAPIResponseTask"})}}));
    services->add(pf::Dictionary::create({{"class", "ZMRCommentService"}, {"taskTypes", list({"IZMRCommentTask", "IKRAPIResponseTask"})}}));
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
    auto list = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
    auto services = pf::Array::create({
        pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", list({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
        pf::Dictionary::create({{"class", "TestRecordingService"}, {"taskTypes", list({"IZMRConcernTask", "IKRHttpUploadTask"})}}),
        pf::Dictionary::create({{"class", "TestAPIService"}, {"taskTypes", list({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
    });
    auto config = pf::Dictionary::create({{"services", services}});
    addSocialServices(config, "http://127.0.0.1:9/upload");
    shell = ZMRShell::create(config, nullptr);
    recorder->shell = shell;
    pf::NotificationCenter::defaultCenter().addObserver(ZMRLikeChangedNotification, observer, [this](const pf::Notification& n) {
        recorder->events.push_back(n.name);
    });
}

void SocialBus::TearDown()
{
    AuthBus::TearDown();
}
