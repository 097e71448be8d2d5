#pragma once

// A device folder of its own for each share test, so boards and the app
// registry start empty and vanish afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_dir);
    }
    std::string m_dir;
};
