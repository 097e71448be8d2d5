#pragma once

// Shared by the HTTP, API, image and crash tests: a delegate that writes down
// what reached it, a way to run the main loop until it has, a scratch home.

#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRHttpService.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh folder made the home directory while the object lives, so cache
// files never leak between tests.
struct TempHome {
    std::string saved = pf::homeDirectory();
    std::string path = (std::filesystem::temp_directory_path() / "zmr-home-XXXXXX").string();
    TempHome()
    {
        if (!mkdtemp(path.data())) ADD_FAILURE() << "no temporary folder";
        pf::setHomeDirectory(path);
    }
    ~TempHome()
    {
        pf::setHomeDirectory(saved);
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// Writes `bytes` to `path`, making its folder first.
inline void writeFile(const std::string& path, std::string_view bytes)
{
    pf::createDirectories(std::filesystem::path(path).parent_path().string());
    std::ofstream(path, std::ios::binary) << bytes;
}
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct HttpRecorder : IKRHttpTaskDelegate {
    std::vector<std::string> events;
    std::vector<std::uint64_t> progress; // bytesDownload of each data event
    bool wantsProgress = true;

    void krHttpTaskWillRequest(KRHttpTask&) override { events.push_back("willRequest"); }
    void krHttpTaskDidFailError(KRHttpTask&, const pf::Error& error) override
    {
        events.push_back("failed " + error.domain + " " + std::to_string(error.code) + " " + error.description);
    }
    void krHttpTaskDidLoaded(KRHttpTask& task) override
    {
        auto response = task.response();
        events.push_back("loaded " + std::to_string(response ? response->statusCode() : 0));
    }
    void krHttpTaskDidLoading(KRHttpTask&) override { events.push_back("loading"); }
    void krHttpTaskDidResponse(KRHttpTask&) override { events.push_back("response"); }
    void krHttpTaskDidReceiveData(KRHttpTask&, const pf::Bytes&, std::uint64_t bytesDownload, std::uint64_t) override
    {
        if (events.empty() || events.back() != "data")
            events.push_back("data");
        progress.push_back(bytesDownload);
    }
    void krHttpTaskDidSendBodyDataBytesWritten(KRHttpTask&, std::int64_t, std::int64_t totalBytesWritten) override
    {
        if (events.empty() || events.back() != "sent")
            events.push_back("sent");
        sent = totalBytesWritten;
    }
    std::int64_t sent = 0;
    bool hasKrHttpTaskDidSendBodyData() const override { return wantsProgress; }
    bool hasKrHttpTaskDidResponse() const override { return wantsProgress; }
    bool hasKrHttpTaskDidReceiveData() const override { return wantsProgress; }

    bool ended() const
    {
        for (const auto& e : events) {
            if (e.starts_with("loaded") || e.starts_with("failed"))
                return true;
        }
        return false;
    }
    std::string last() const { return events.empty() ? "" : events.back(); }
};

inline bool runMainUntil(const std::function<bool()>& predicate, double seconds = 10)
{
    return pf::RunLoop::main().runUntil(predicate, pf::Seconds(seconds));
}

inline void runMainFor(double seconds)
{
    pf::RunLoop::main().runUntil([] { return false; }, pf::Seconds(seconds));
}

inline std::shared_ptr<KRHttpService> makeHttpService(pf::DictionaryRef config = pf::Dictionary::create())
{
    registerHttpClasses();
    auto service = std::make_shared<KRHttpService>();
    service->setConfig(std::move(config));
    return service;
}

// The bus as far as the image service needs it: downloads go to a real HTTP
// service; downloads and cancels are counted, and `refuse` turns every task down.
class HttpOnlyBus final : public pf::Object, public IKRServiceContext {
public:
    std::shared_ptr<KRHttpService> http = makeHttpService();
    int downloads = 0;
    int cancels = 0;
    bool refuse = false;

    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override
    {
        if (refuse || taskType != proto::IKRHttpResourceTask())
            return false;
        ++downloads;
        return http->handle(taskType, task, priority);
    }
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override
    {
        ++cancels;
        return http->cancelHandle(taskType, task);
    }
    bool cancelHandleForSource(const pf::Object* source) override { return http->cancelHandleForSource(source); }
};

inline std::shared_ptr<KRHttpTask> makeHttpTask(const std::string& url, KRHttpResponseType type,
                                                const std::shared_ptr<HttpRecorder>& recorder)
{
    auto task = std::make_shared<KRHttpTask>();
    task->setRequest(pf::HttpRequest(url));
    task->setResponseType(type);
    task->setDelegate(recorder);
    return task;
}
