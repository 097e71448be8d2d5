#pragma once

// A bus for the application services without a network: the envelope, the
// account service and a stand-in API service that offers each request for
// decoration (as the real one does before building it) and keeps it, so that
// a test can answer it with any results.

#include "ServicesTestSupport.h"

#include "app/services/ZMRShell.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"

#include <string>
#include <utility>
#include <vector>

struct APIRecord {
    std::vector<std::shared_ptr<KRAPIRequestTask>> requests;
    std::vector<std::shared_ptr<IKRAPITask>> cancels;
};
APIRecord*& apiRecord();

class TestAPIService : public KRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
};

void registerAuthTestClasses();

// Appends the account and list services to the configuration's "services".
void addAccountServices(const pf::DictionaryRef& config);

// Writes down each outcome, with the signed-in user id as it was then.
struct UplinkRecorder : IKRUplinkTaskDelegate {
    std::weak_ptr<ZMRShell> shell;
    std::vector<std::string> events;
    std::vector<pf::Error> errors;
    std::vector<pf::Value> results;
    void clear()
    {
        events.clear();
        errors.clear();
        results.clear();
    }
    void krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value& r, const pf::Protocol* type) override
    {
        auto s = shell.lock();
        events.push_back("success " + type->name() + " uid=" + (s ? s->uid().description() : "?"));
        results.push_back(r);
    }
    void krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error, const pf::Protocol* type) override
    {
        events.push_back("fail " + type->name());
        errors.push_back(error);
    }
};

// The form's items as "key=value" texts.
inline std::vector<std::string> formItems(const KRHttpFormBody& body)
{
    std::vector<std::string> items;
    for (const auto& item : body.formItems()) {
        auto* value = dynamic_cast<KRHttpFormItemValue*>(item.get());
        items.push_back(item->key() + "=" + (value ? value->value() : "(bytes)"));
    }
    return items;
}

// The items the service itself wrote: those before the device's.
inline std::vector<std::string> ownItems(const KRHttpFormBody& body)
{
    std::vector<std::string> items;
    for (const std::string& item : formItems(body)) {
        if (item.starts_with("device-"))
            break;
        items.push_back(item);
    }
    return items;
}

class AuthBus : public ::testing::Test {
protected:
    void SetUp() override { startBus({"IZMRConcernTask", "IZMRCoinTask"}, addAccountServices); }
    void TearDown() override;
    // A fresh bus and shell: the recorder takes the `recorded` task types,
    // `more` (an entry) comes before the API stand-in, `add` appends the
    // services under test.
    void startBus(std::initializer_list<pf::Value> recorded, void (*add)(const pf::DictionaryRef&), pf::Value more = {});

    // Answers the last request (or `request`) as the API service would.
    void respond(const std::string& json, std::shared_ptr<KRAPIRequestTask> request = nullptr);
    void respondWith(pf::Value results, std::optional<pf::Error> error, std::shared_ptr<KRAPIRequestTask> request = nullptr);
    std::shared_ptr<KRAPIRequestTask> lastRequest() const { return api.requests.empty() ? nullptr : api.requests.back(); }
    // Sends a task of the given class with the recorder as delegate.
    template <class T> std::shared_ptr<T> send(const pf::Protocol* type, std::shared_ptr<T> task)
    {
        task->setSource(source);
        task->setDelegate(recorder);
        EXPECT_TRUE(shell->handle(type, task, 0));
        return task;
    }

    TemporaryHome home;
    APIRecord api;
    BusRecord bus;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<UplinkRecorder> recorder = std::make_shared<UplinkRecorder>();
    std::shared_ptr<KRTask> source = std::make_shared<KRTask>();
    std::shared_ptr<int> observer = std::make_shared<int>(0);
};
