#pragma once

// Named notifications, delivered synchronously on the posting thread to the
// observers registered for the name, in registration order. Observers are
// held weakly: an observer whose owner was released is skipped and forgotten.

#include "platform/foundation/Value.h"

#include <functional>
#include <mutex>
#include <string>

namespace pf {

struct Notification {
    std::string name;
    Value object;
    DictionaryRef userInfo;
};

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // `owner` keeps the registration alive: once it is released the handler is
    // never called. Answers a token for removeObserver().
    std::uint64_t addObserver(std::string name, std::weak_ptr<const void> owner, Handler handler);
    void removeObserver(std::uint64_t token);
    // Removes every registration whose owner is `owner`.
    void removeObserver(const void* owner);

    void post(const std::string& name, Value object = {}, DictionaryRef userInfo = nullptr);

private:
    struct Observer {
        std::uint64_t token;
        std::string name;
        std::weak_ptr<const void> owner;
        const void* ownerAddress;
        Handler handler;
    };
    std::mutex m_mutex; // guards m_observers and m_nextToken
    std::vector<Observer> m_observers;
    std::uint64_t m_nextToken = 1;
};

}
