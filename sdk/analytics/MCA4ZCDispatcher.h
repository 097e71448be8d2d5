#pragma once

// Uploads events to the analytics server: the JSON texts joined into one
// array, bodies of 256 bytes or more gzipped behind a 4-byte big-endian
// length, everything enciphered with RC4, POSTed synchronously on the
// serial queue "MCA4ZCHttpDispatcher". The caller's block runs on that
// queue with the outcome; a 200 reply (capped at 1 MiB) that decodes to an
// object goes to the online-configuration holder.
//
// The server's base URL ("http://host:port") is a setting: the ZZ SDK sets
// it from its server table when it starts the collector, tests from the
// local collector. Without one nothing is sent and the block hears NotSent,
// which is no failed try: the events wait for an address.

#include "platform/foundation/Forward.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pf {
class DispatchQueue;
}
class MCA4ZCEvent;

class MCA4ZCDispatcher : public std::enable_shared_from_this<MCA4ZCDispatcher> {
public:
    enum class Outcome { Sent, Failed, NotSent };
    using Callback = std::function<void(Outcome)>;
    static constexpr std::size_t kMaxReplySize = 1 << 20;
    static constexpr const char* kPath = "/zzconnectutil/sdk";

    static std::shared_ptr<MCA4ZCDispatcher> getInstance();
    MCA4ZCDispatcher();

    void setBaseURL(std::string url);
    std::string baseURL() const;

    void sendEvent(const MCA4ZCEvent& event, Callback callback);
    // Nothing at all (no block call) for an empty list.
    void send(std::vector<std::string> texts, Callback callback);
    // One synchronous exchange on the calling thread; false without a base URL.
    bool nsRequest(const pf::Bytes& body, pf::Bytes* reply);
    void close() {}

    // The request body for a JSON text, before and after encipherment.
    static bool makePayload(const pf::Bytes& body, pf::Bytes* payload, std::string* contentEncoding);
    const std::shared_ptr<pf::DispatchQueue>& getTaskQueue() const { return m_queue; }

private:
    std::shared_ptr<pf::DispatchQueue> m_queue;
    mutable std::mutex m_mutex; // guards m_baseURL
    std::string m_baseURL;
};
