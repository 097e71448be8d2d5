#pragma once

// The lists against tools/appserver in a fresh home: the shell with the API,
// HTTP, list, URL ("feeds") and image services.

#include "tests/app/services/AppServerProcess.h"

#include "app/services/ZMRShell.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

class ScreensRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRunning());
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-screens-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home = pattern;
        pf::setHomeDirectory(home);
        pf::UserDefaults::resetStandard();
        KRDownlinkService::resetSharedCache();
        base = server.url().substr(0, server.url().size() - 4);
        auto entry = [](const char* cls, std::initializer_list<pf::Value> types) {
            return pf::Dictionary::create({{"class", cls}, {"taskTypes", pf::Value(pf::Array::create(types))}});
        };
        auto http = entry("KRHttpService", {"IKRHttpTask", "IKRHttpAPITask", "IKRHttpResourceTask"});
        http->set("inherit", true);
        http->set("timeout", 5.0);
        auto api = entry("KRAPIService", {"IKRAPIRequestTask", "IKRAPICancelTask"});
        api->set("url", server.url());
        auto urls = entry("KRURLService", {"IKRURLDownlinkTask"});
        urls->set("feeds", base + "/lists/ZMRFeedsTask?start={offset}&count={pageSize}");
        auto images = entry("KRImageService", {"IKRImageTask", "IKRLocalImageTask"});
        images->set("timeout", 5.0);
        auto services = pf::Array::create({entry("ZMRAPIService", {"IKRAPIWillRequestTask", "IKRAPIResponseTask"}), http, api,
                                           entry("ZMRDownlinkService", {"IZMRDownlinkTask", "IKRAPIResponseTask"}), urls, images});
        shell = ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
        pf::Screen::main().removeAllWindows();
    }
    void TearDown() override
    {
        pf::Screen::main().removeAllWindows();
        shell.reset();
        KRDownlinkService::resetSharedCache();
        pf::UserDefaults::resetStandard();
        std::filesystem::remove_all(home);
    }
    static bool waitFor(const std::function<bool()>& done) { return pf::RunLoop::main().runUntil(done, pf::Seconds(15)); }

    AppServerProcess server;
    std::string home, base;
    std::shared_ptr<ZMRShell> shell;
};
