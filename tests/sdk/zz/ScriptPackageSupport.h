#pragma once

// Scratch folders, raw archives with any entry names and attributes, and a
// bundle holding a test key's certificate, for the package tests.

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "sdk/zz/JsUpdateTimer.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <minizip/zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline std::string makeScratch()
{
    std::string pattern = (fs::temp_directory_path() / "zmr_zzpkg_XXXXXX").string();
    return mkdtemp(pattern.data());
}

inline std::string slurp(const fs::path& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline void spit(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

struct RawEntry {
    std::string name;
    std::string content;
    unsigned long external = 0;
    int method = Z_DEFLATED;
};

// Writes entries exactly as given, whatever their names or attributes say.
inline bool writeRawZip(const std::string& path, const std::vector<RawEntry>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const RawEntry& entry : entries) {
        zip_fileinfo info{};
        info.tmz_date = {0, 0, 12, 5, 5, 2020};
        info.external_fa = entry.external;
        ok = ok && zipOpenNewFileInZip4(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, entry.method,
                                        entry.method ? Z_DEFAULT_COMPRESSION : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                        Z_DEFAULT_STRATEGY, nullptr, 0, (3u << 8) | 20u, 0) == ZIP_OK;
        if (ok && !entry.content.empty())
            ok = zipWriteInFileInZip(zip, entry.content.data(), static_cast<unsigned>(entry.content.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// The process-wide test key, made once (RSA-2048 takes a moment under the
// sanitizers).
inline const zmr::ZZPackageKey& testKey()
{
    static std::unique_ptr<zmr::ZZPackageKey> key = zmr::ZZPackageKey::generate();
    return *key;
}

// Points the main bundle at a folder whose SDK bundle holds `certificate`,
// and back on destruction.
class ScopedBundle {
public:
    explicit ScopedBundle(const pf::Bytes& certificate) : m_old(pf::Bundle::main()), m_root(makeScratch())
    {
        spit(fs::path(m_root) / TOSDKRSACryptor::bundleName / "public_key.der",
             std::string(certificate.begin(), certificate.end()));
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(m_root));
    }
    ~ScopedBundle()
    {
        pf::Bundle::setMain(m_old);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    const std::string& root() const { return m_root; }

private:
    std::shared_ptr<pf::Bundle> m_old;
    std::string m_root;
};

// Time moved by hand: a firing is posted to its queue once its time comes.
class ManualUpdateClock : public JsUpdateClock {
public:
    pf::Date now() override { return pf::Date{m_now.load()}; }
    void after(const pf::DispatchQueueRef& queue, pf::Seconds delay, pf::Task task) override
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({m_now + delay.count(), queue, std::move(task)});
    }
    void advanceMinutes(double minutes)
    {
        std::lock_guard lock(m_mutex);
        m_now = m_now + minutes * 60;
        std::erase_if(m_waiting, [&](Waiting& w) {
            if (w.due > m_now)
                return false;
            if (auto queue = w.queue.lock())
                queue->async(std::move(w.task));
            return true;
        });
    }
    std::size_t waiting()
    {
        std::lock_guard lock(m_mutex);
        return m_waiting.size();
    }

private:
    struct Waiting {
        double due;
        std::weak_ptr<pf::DispatchQueue> queue;
        pf::Task task;
    };
    std::mutex m_mutex; // guards m_waiting
    std::atomic<double> m_now{1.8e9};
    std::vector<Waiting> m_waiting;
};
