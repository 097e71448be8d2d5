#include "AuthTestSupport.h"

#include "app/services/ZMRLikeService.h"
#include "app/services/ZMRPrizeService.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/ClassBuilder.h"

APIRecord*& apiRecord()
{
    static APIRecord* record = nullptr;
    return record;
}

bool TestAPIService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    if (taskType != proto::IKRAPIRequestTask())
        return false;
    auto request = std::dynamic_pointer_cast<KRAPIRequestTask>(task);
    if (auto context = this->context())
        context->handle(proto::IKRAPIWillRequestTask(), request, 0);
    if (apiRecord())
        apiRecord()->requests.push_back(request);
    return true;
}

bool TestAPIService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    if (taskType != proto::IKRAPICancelTask())
        return false;
    if (apiRecord())
        apiRecord()->cancels.push_back(std::dynamic_pointer_cast<IKRAPITask>(task));
    return true;
}

void registerAuthTestClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerServicesTestClasses();
    pf::ClassBuilder<TestAPIService>("TestAPIService").superclass<KRService>().adopts(proto::IKRService()).commit();
}

void addAccountServices(const pf::DictionaryRef& config)
{
    pf::ArrayRef services = config->array("services");
    services->add(serviceEntry("ZMRAuthService", {"IZMRAuthTask", "IZMRLoginTask", "IZMRRegisterTask", "IZMRLogoutTask",
                                                  "IZMRVoxlyLoginTask", "IZMRVoxlyBindTask", "IZMRZZLoginTask", "IZMRZZBindTask",
                                                  "IKRAPIResponseTask"}));
    services->add(serviceEntry("ZMRDownlinkService", {"IZMRDownlinkTask", "IKRAPIResponseTask"}));
}

void AuthBus::startBus(std::initializer_list<pf::Value> recorded, void (*add)(const pf::DictionaryRef&), pf::Value more)
{
    registerAuthTestClasses();
    KRDownlinkService::resetSharedCache();
    apiRecord() = &api;
    busRecord() = &bus;
    auto config = busConfig({serviceEntry("TestRecordingService", recorded)});
    if (!more.isNil())
        config->array("services")->add(more);
    config->array("services")->add(serviceEntry("TestAPIService", {"IKRAPIRequestTask", "IKRAPICancelTask"}));
    add(config);
    shell = ZMRShell::create(config, nullptr);
    recorder->shell = shell;
    for (const char* name : {ZMRUserChangedNotification, ZMRUserInfoChangedNotification, ZMRLikeChangedNotification,
                              ZMRPrizeExchangedNotification})
        pf::NotificationCenter::defaultCenter().addObserver(name, observer, [this](const pf::Notification& n) {
            recorder->events.push_back(n.name);
        });
}

void AuthBus::TearDown()
{
    apiRecord() = nullptr;
    busRecord() = nullptr;
    shell.reset();
    KRDownlinkService::resetSharedCache();
}

void AuthBus::respond(const std::string& json, std::shared_ptr<KRAPIRequestTask> request)
{
    respondWith(KRJSON::decodeText(json), std::nullopt, std::move(request));
}

void AuthBus::respondWith(pf::Value results, std::optional<pf::Error> error, std::shared_ptr<KRAPIRequestTask> request)
{
    if (!request)
        request = lastRequest();
    ASSERT_NE(request, nullptr);
    auto response = std::make_shared<KRAPIResponseTask>();
    response->setTask(request->task());
    response->setTaskType(request->taskType());
    response->setSource(request->source());
    response->setUserInfo(request->userInfo());
    response->setResultsData(std::move(results));
    response->setError(std::move(error));
    shell->handle(proto::IKRAPIResponseTask(), response, 0);
}
