#pragma once

// Shared by the application service tests: a fresh home directory per test
// (so user defaults and databases start empty) and a bus recorder.

#include "framework/core/KRService.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

class TemporaryHome {
public:
    TemporaryHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-services-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        m_path = pattern;
        pf::setHomeDirectory(m_path);
        pf::UserDefaults::resetStandard();
    }
    ~TemporaryHome()
    {
        pf::UserDefaults::resetStandard();
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline std::size_t countOf(const std::vector<std::string>& texts, const std::string& text)
{
    return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), text));
}

// Records every task offered to it (by task type name) and declines it.
struct BusRecord {
    std::vector<std::string> types;
    std::vector<pf::ObjectRef> tasks;
    std::size_t count(const std::string& type) const { return countOf(types, type); }
};
inline BusRecord*& busRecord()
{
    static BusRecord* record = nullptr;
    return record;
}

class TestRecordingService : public KRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int) override;
};

inline bool runMainUntil(const std::function<bool()>& predicate, double seconds = 60)
{
    return pf::RunLoop::main().runUntil(predicate, pf::Seconds(seconds));
}


// A configuration entry: the service's class and the task types it takes.
pf::DictionaryRef serviceEntry(const char* serviceClass, std::initializer_list<pf::Value> taskTypes);
// A configuration whose "services" are the envelope followed by `entries`.
pf::DictionaryRef busConfig(std::initializer_list<pf::Value> entries);

// Registers the test-only classes once.
void registerServicesTestClasses();
