#pragma once

// Keeps the SDK's installed script package current. On its timer it asks the
// business-check server whether a newer package exists ("/pub/check_bizup"),
// downloads it, reads it into memory once, checks the signature of
// "js/verify.json" read from the archive before anything is written, extracts
// "js" and "config.json" into the caches folder ("Library/caches" in the home
// directory; an archive holding anything else is refused whole), verifies the
// folder (TOSDKUpdateVerify) and swaps it into "finaljs" under the package
// lock, the old one restored on failure; only then are the defaults written.
// Within one locked run the files' digests are taken as they are written and
// the checked list is not checked again; unzip() and validate() called on
// their own read the folder back.
// It also installs the bundle's own package ("js.zip" of the SDK bundle) when
// nothing is installed.
//
// Limits: check answers 64 KiB, packages (downloaded or the bundle's) 16 MiB,
// downloads over http or https only, extraction 32 MiB in 2,000 entries. A
// package's "frequency" counts only as a whole number of minutes in
// [0, 10080] (else 0), its "version" only as digits (else nothing is
// installed).
//
// Threads: update() runs on the timer's queue; loadBundleJsZip() and the
// version controller on the thread that creates the script bridge. The
// package lock keeps them apart; isWorking makes a second update() return.

#include "platform/foundation/Forward.h"
#include "sdk/zz/TOSDKUpdateVerify.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class JsUpdateTimer;
class JsUpdateVersionController;

class JsUpdateManager {
public:
    static constexpr const char* businessCode = "107";
    static constexpr std::size_t maxCheckBytes = 64u << 10;
    static constexpr std::size_t maxPackageBytes = 16u << 20;
    static constexpr std::uint64_t maxExtractedBytes = 32u << 20;
    static constexpr std::uint64_t maxEntries = 2000;

    // Creates no folder; removes a "js" folder a crash left behind.
    JsUpdateManager();
    ~JsUpdateManager();
    JsUpdateManager(const JsUpdateManager&) = delete;
    JsUpdateManager& operator=(const JsUpdateManager&) = delete;

    const std::string& libCachesFolderPath() const { return m_libCachesFolderPath; }
    const std::string& jsTmpFolderPath() const { return m_jsTmpFolderPath; }
    const std::string& jsFinalFolderPath() const { return m_jsFinalFolderPath; }
    const std::shared_ptr<JsUpdateVersionController>& versionController() const { return m_versionController; }
    bool isWorking() const { return m_isWorking.load(); }

    // One whole run: check, download, extract, verify, install.
    void update(const std::string& business);
    // True when the server offers a package ("type" 1 with an http(s) URL and
    // a version of digits); sets the request path and version.
    bool checkUpdate(const std::string& business);
    // False when nothing usable arrived; the run then ends.
    bool loadZip();
    bool loadBundleJsZip();
    // Checks the archive's signed list, then extracts "js" and "config.json".
    bool unzip();
    // Verifies the extracted folder and installs it.
    bool validate(bool updateTime);
    long long getFrequency() const;
    std::optional<std::string> getVersion() const;

    bool verifyFolder(const std::string& path) const;
    static bool cryptoVerifyFolder(const std::optional<std::string>& path);
    void clearJsTmpStorage();
    void clearJsFinalStorage();
    static void deleteFolder(const std::string& path);

    void setTimer(std::uint32_t interval, std::uint32_t delay);
    void startTimer(const std::string& business);
    void stopTimer();

    const std::string& zipRequestPath() const { return m_zipRequestPath; }
    const std::string& zipVersion() const { return m_zipVersion; }

private:
    // Extraction and install as one run under the caller's package lock.
    bool installFromZip(bool updateTime);
    bool unzipInto(TOSDKUpdateVerify::Known* known);
    bool validateWith(bool updateTime, const TOSDKUpdateVerify::Known* known);
    bool swapIntoFinal();

    std::string m_libCachesFolderPath;
    std::string m_jsTmpFolderPath;
    std::string m_jsFinalFolderPath;
    std::shared_ptr<JsUpdateVersionController> m_versionController;
    std::unique_ptr<JsUpdateTimer> m_updateTimer;
    std::atomic<bool> m_isWorking = false;
    // Used by one run at a time (isWorking, or the bridge's thread).
    pf::DictionaryRef m_configDic;
    std::string m_zipLocalPath;
    std::string m_zipRequestPath;
    std::string m_zipVersion;
};
