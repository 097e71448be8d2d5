#include "RoadTestSupport.h"
#include "StandInProviders.h"

#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRHttpRegistration.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/controls/AlertView.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"

pf::DictionaryRef roadConfig(const std::string& apiUrl, double timeout, bool recordPoints)
{
    registerAuthTestClasses();
    auto http = serviceEntry("KRHttpService", {"IKRHttpAPITask", "IKRHttpUploadTask", "IKRHttpResourceTask"});
    http->set("maxThreadCount", 4);
    http->set("timeout", timeout);
    auto api = serviceEntry("KRAPIService", {"IKRAPIRequestTask", "IKRAPICancelTask"});
    api->set("url", apiUrl);
    api->set("timeout", timeout);
    auto recording = recordPoints ? serviceEntry("TestRecordingService", {"IZMRConcernTask", "IZMRCoinTask"})
                                  : serviceEntry("TestRecordingService", {"IZMRConcernTask"});
    auto config = busConfig({http, api, recording});
    addAccountServices(config);
    return config;
}

void startSeededWorld(BusRecord& record, std::shared_ptr<zmr::AppStore>& store, std::unique_ptr<zmr::AppServer>& server)
{
    registerAuthTestClasses();
    KRDownlinkService::resetSharedCache();
    busRecord() = &record;
    std::unique_ptr<zmr::AppStore> made;
    ASSERT_FALSE(zmr::AppStore::open(":memory:", made));
    store = std::move(made);
    ASSERT_TRUE(store->seedDemo());
    ASSERT_TRUE(standInProviders().isRunning());
    server = std::make_unique<zmr::AppServer>(store, standInProviders().settings());
    ASSERT_TRUE(server->start(0));
}

bool sendAndWait(const std::shared_ptr<ZMRShell>& shell, const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task,
                 const std::shared_ptr<UplinkRecorder>& recorder, double seconds)
{
    std::size_t before = recorder->errors.size() + recorder->results.size();
    task->setDelegate(recorder);
    task->setSource(task);
    if (!shell->handle(type, task, 0))
        return false;
    return runMainUntil([&] { return recorder->errors.size() + recorder->results.size() > before; }, seconds);
}

void RoadBus::SetUp()
{
    registerAuthTestClasses();
    KRDownlinkService::resetSharedCache();
    busRecord() = &bus;
    ASSERT_TRUE(server.isRunning());
}

void RoadBus::TearDown()
{
    shell.reset();
    busRecord() = nullptr;
    KRDownlinkService::resetSharedCache();
}

void RoadBus::startShell(const pf::DictionaryRef& config)
{
    shell = ZMRShell::create(config, nullptr);
    recorder->shell = shell;
}

void RoadBus::launchShippedShell(const std::string& resources, const std::shared_ptr<pf::Bundle>& bundle)
{
    auto config = roadConfig(server.url());
    auto shipped = pf::readPropertyListFile(resources + "/cfg.plist");
    ASSERT_TRUE(shipped && shipped->dictionary());
    for (const char* key : {"ui", "url", "url-anonymous", "url-nick", "url-auth"})
        config->set(key, shipped->dictionary()->get(key));
    shell = ZMRShell::create(config, bundle);
    ASSERT_TRUE(shell);
    recorder->shell = shell;
    pf::Application::shared().setDelegate(shell);
    ASSERT_TRUE(pf::Application::shared().launch());
}

void RoadBus::closeLaunchedShell()
{
    if (shell && shell->window())
        shell->window()->setHidden(true);
    for (auto& alert : pf::AlertView::visibleAlerts())
        alert->dismissWithClickedButtonIndex(-1, false);
    pf::Application::shared().setDelegate({});
    pf::Screen::main().removeAllWindows();
    pf::RunLoop::main().runUntilIdle();
}

std::shared_ptr<ZMRRegisterTask> RoadBus::registration(const std::string& account, const std::string& password,
                                                       const std::string& nick)
{
    auto task = std::make_shared<ZMRRegisterTask>();
    task->setAccount(account);
    task->setPassword(password);
    task->setNick(nick);
    return task;
}

std::shared_ptr<ZMRLoginTask> RoadBus::login(const std::string& account, const std::string& password)
{
    auto task = std::make_shared<ZMRLoginTask>();
    task->setAccount(account);
    task->setPassword(password);
    return task;
}

long long RoadBus::signUp(const std::string& account, const std::string& nick)
{
    // The sign-in's own points request ends with a change of the user's
    // information, after the sign-in's own.
    std::size_t changes = 0;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver(ZMRUserInfoChangedNotification, observer,
                                                       [&changes](const pf::Notification&) { ++changes; });
    recorder->clear();
    EXPECT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), registration(account, "secret1", nick.empty() ? "nick " + account : nick),
                            recorder));
    EXPECT_TRUE(recorder->errors.empty());
    EXPECT_TRUE(shell->uid().isNumber());
    std::size_t signedIn = changes;
    if (waitForPoints) {
        EXPECT_TRUE(runMainUntil([&] { return changes > signedIn; }));
    }
    recorder->clear();
    return shell->uid().longLongValue();
}
