#pragma once

// A device folder of its own for each share test, so boards and the app
// registry start empty and vanish afterwards.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class ShareDeviceFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-share-XXXXXX";
        m_dir = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_savedBundle)
            pf::Bundle::setMain(m_savedBundle);
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_dir);
    }
    // A fake app of the device answering `schemes`: it appends each URL it
    // is opened with to a file (openedURLs()), or, when `refuses`, cannot be
    // started at all.
    void installApp(const std::string& bundle, std::vector<std::string> schemes, bool refuses = false)
    {
        std::vector<std::string> command = { "/bin/sh", "-c", "printf '%s\\n' \"$2\" >> '" + m_dir + "/opened.txt'", "sh" };
        if (refuses) {
            // Executable but no program: starting it fails.
            std::ofstream(m_dir + "/not-a-program") << "plain text";
            std::filesystem::permissions(m_dir + "/not-a-program", std::filesystem::perms::owner_all);
            command = { m_dir + "/not-a-program" };
        }
        ASSERT_FALSE(pf::AppRegistry::registerApp({ bundle, std::move(schemes), command }));
    }
    // The URLs the fake apps were opened with, once there are `count` (or
    // ten seconds have passed).
    std::vector<std::string> openedURLs(std::size_t count)
    {
        std::vector<std::string> lines;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            lines.clear();
            std::ifstream file(m_dir + "/opened.txt");
            for (std::string line; std::getline(file, line);)
                lines.push_back(line);
            if (lines.size() >= count)
                break;
            std::this_thread::yield();
        } while (std::chrono::steady_clock::now() < deadline);
        return lines;
    }
    // A main bundle whose Info.plist holds `entries` (plist XML inside <dict>).
    void useBundle(const std::string& entries)
    {
        if (!m_savedBundle)
            m_savedBundle = pf::Bundle::main();
        std::string folder = m_dir + "/bundle" + std::to_string(++m_bundles);
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/Info.plist") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                              << entries << "</dict></plist>\n";
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(folder));
    }
    std::string m_dir;

private:
    std::shared_ptr<pf::Bundle> m_savedBundle;
    int m_bundles = 0;
};
