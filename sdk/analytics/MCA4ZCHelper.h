#pragma once

// The environment and user record that events carry, and the byte helpers
// of the upload (RC4, gzip). One per process, made on first use.
//
// getUser() runs on the facade queue; getEnv() is read-only after creation
// and safe from any queue.

#include "platform/foundation/Forward.h"
#include "sdk/analytics/MCA4ZCEnv.h"
#include "sdk/analytics/MCA4ZCUser.h"

#include <memory>
#include <mutex>
#include <string>

class MCA4ZCHelper {
public:
    static std::shared_ptr<MCA4ZCHelper> getInstance();
    // Forgets the process helper (tests simulate a restart).
    static void resetInstance();

    explicit MCA4ZCHelper(MCA4ZCEnv env);

    const MCA4ZCEnv& getEnv() const { return m_env; }
    void setUserStore(std::weak_ptr<MCA4ZCUserStore> store);
    // The user record brought up to date for now; null when the store cannot give one.
    std::shared_ptr<MCA4ZCUser> getUser();

    // "%02X:…" of "en0", or the failure text that is then sent instead.
    // Kept until the kernel reports a link or address change, or for a
    // second at most. Any thread.
    static std::string getMacAddress();
    // The same, read from the interface list now.
    static std::string readMacAddress();
    // Whether "en0" is up with an IPv4 address; nothing in the collector asks.
    static bool isWiFiAvailable();

    // RC4 with the collector's fixed key, in place (its own inverse).
    static void ChiperRC4(pf::Bytes& data);
    static void ChiperRC4(pf::Bytes& data, const std::string& key);
    // 0 with the output, -1 on failure or empty input.
    static int GZip(const pf::Bytes& in, pf::Bytes* out);
    // Inflates at most `maxOutput` bytes (0: no cap).
    static int GUnzip(const pf::Bytes& in, pf::Bytes* out, std::size_t maxOutput = 0);

    static constexpr const char* kRC4Key = "5b8e2d71c0a94f36e7d1b20c9a4f6e83";

private:
    MCA4ZCEnv m_env;
    std::mutex m_mutex; // guards m_user and m_store
    std::weak_ptr<MCA4ZCUserStore> m_store;
    std::shared_ptr<MCA4ZCUser> m_user;
};
