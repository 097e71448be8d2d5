#include "HttpTestSupport.h"

#include "framework/core/KRCrashService.h"
#include "framework/core/KRCrashTask.h"
#include "framework/core/KRImageCrashRegistration.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/core/QueryValue.h"
#include "framework/util/KRUUID.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/URL.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

namespace {

struct CrashFixture {
    TempHome home;
    pf::DeviceProfile previousDevice = pf::DeviceProfile::current();
    std::shared_ptr<KRCrashService> service = std::make_shared<KRCrashService>();

    CrashFixture()
    {
        registerImageAndCrashClasses();
        writeFile(home.file("bundle/Info.plist"), R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.zomaru.app</string>
<key>CFBundleShortVersionString</key><string>1.2</string>
<key>CFBundleVersion</key><string>34</string>
</dict></plist>)");
        service->setBundle(std::make_shared<pf::Bundle>(home.file("bundle")));
        pf::DeviceProfile device;
        device.name = "Test Phone";
        device.systemName = "iPhone OS";
        device.systemVersion = "7.0.3";
        device.model = "iPhone";
        pf::DeviceProfile::setCurrent(device);
    }
    ~CrashFixture() { pf::DeviceProfile::setCurrent(previousDevice); }
    void setUrl(pf::Value url) { service->setConfig(pf::Dictionary::create({{"url", std::move(url)}})); }
};

std::shared_ptr<KRCrashTask> crashTask(std::optional<std::string> reason)
{
    auto exception = std::make_shared<pf::Exception>("std::out_of_range", std::move(reason));
    exception->setCallStack(pf::CallStack{{"0 zomaru main + 12", "1 libc start"}, {4096, 8192}});
    auto task = std::make_shared<KRCrashTask>();
    task->setException(exception);
    return task;
}

// The posted items in order, values decoded.
std::vector<std::pair<std::string, std::string>> formItems(const std::string& body)
{
    std::vector<std::pair<std::string, std::string>> items;
    auto values = queryValues(*pf::URL::create("http://h/?" + body));
    for (const auto& key : values->keys())
        items.emplace_back(key, values->string(key).value_or(""));
    return items;
}

}

TEST(KRCrashServiceReport, PostsTheExactFormFieldsInOrder)
{
    CrashFixture f;
    zmr::TestServer server;
    f.setUrl(server.url("/crash"));
    EXPECT_TRUE(f.service->handle(proto::IKRCrashTask(), crashTask("index 7 past the end"), 0));

    auto received = server.received("/crash");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].header("Content-Type"), "application/x-www-form-urlencoded");
    auto items = formItems(received[0].body);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"identifier", "com.zomaru.app"}, {"version", "1.2"},          {"build", "34"},
        {"deviceName", "Test Phone"},     {"systemName", "iPhone OS"}, {"systemVersion", "7.0.3"},
        {"model", "iPhone"},              {"deviceIdentifier", krUniqueIdentifier()}};
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(std::vector(items.begin(), items.end() - 1), expected);
    EXPECT_EQ(items[8].first, "exception");
    // Decoded and encoded again, so that only members and their order count.
    EXPECT_EQ(KRJSON::encodeObject(KRJSON::decodeText(items[8].second)),
              R"({"name":"std::out_of_range","reason":"index 7 past the end",)"
              R"("callStackSymbols":["0 zomaru main + 12","1 libc start"],"callStackReturnAddresses":[4096,8192]})");

    // Without a reason the member is left out.
    f.service->handle(proto::IKRCrashTask(), crashTask(std::nullopt), 0);
    received = server.received("/crash");
    ASSERT_EQ(received.size(), 2u);
    auto exception = KRJSON::decodeText(formItems(received[1].body).back().second).dictionary();
    ASSERT_TRUE(exception);
    EXPECT_EQ(exception->keys(), (std::vector<std::string>{"name", "callStackSymbols", "callStackReturnAddresses"}));
}

TEST(KRCrashServiceReport, EveryCrashTaskIsTakenWhetherOrNotItsReportLeaves)
{
    CrashFixture f;
    zmr::TestServer server;
    std::string closedUrl;
    {
        zmr::TestServer gone;
        closedUrl = gone.url("/crash");
    }
    struct Row {
        const char* name;
        const pf::Protocol* type;
        pf::Value url;
        bool withException;
        bool taken;
    } rows[] = {
        {"no exception", proto::IKRCrashTask(), server.url("/crash"), false, true},
        {"another task type", proto::IKRTask(), server.url("/crash"), true, false},
        {"no url", proto::IKRCrashTask(), pf::Value(), true, true},
        {"url not text", proto::IKRCrashTask(), 42, true, true},
        {"url not a URL", proto::IKRCrashTask(), "not a url", true, true},
        {"server error", proto::IKRCrashTask(), server.url("/status?code=500"), true, true},
        {"nobody listening", proto::IKRCrashTask(), closedUrl, true, true},
        // Returning at all shows the send gave up; a stall would hold the test until its time-out.
        {"server never answers", proto::IKRCrashTask(), server.url("/stall"), true, true},
    };
    for (const auto& row : rows) {
        f.setUrl(row.url);
        auto task = row.withException ? crashTask("boom") : std::make_shared<KRCrashTask>();
        EXPECT_EQ(f.service->handle(row.type, task, 0), row.taken) << row.name;
        EXPECT_EQ(server.count("/crash"), 0u) << row.name;
    }
    EXPECT_EQ(server.count("/status"), 1u);
}
