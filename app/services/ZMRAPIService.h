#pragma once

// The envelope of every request to the application server. An observer: it
// answers false to everything, so it must stand before the application
// services in the configuration ("IKRAPIWillRequestTask",
// "IKRAPIResponseTask").
//
// - Just before a request of an IZMRAPITask type is built it appends the
//   device items ("device-did" once the server assigned one, otherwise the
//   device's description) and, when known, "auth-uid", "auth-token" and
//   "device-token".
// - From every successful answer of such a type it stores "device-did" and
//   the server time ("timestamp", finite numbers that differ from the kept
//   server clock by a second or more), and takes a renewed
//   "auth-token", but only when the request carried the user id that is
//   still signed in, so a late answer for a previous user changes nothing
//   (sign-in answers are left to the account service).
//
// Main queue only. Logged bodies and answers have their secrets redacted.

#include "app/services/ZMRContext.h"
#include "framework/core/KRService.h"

#include <vector>

class ZMRAPIService final : public KRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

private:
    // The user id each application task's request carried, by task identity.
    struct Carried {
        const pf::Object* task = nullptr;
        pf::WeakObject alive;
        const void* request = nullptr; // identity only
        pf::Value uid;
    };
    void willRequest(const pf::ObjectRef& task);
    void didRespond(const pf::ObjectRef& task);
    std::optional<pf::Value> takeCarriedUid(const pf::ObjectRef& appTask);

    std::vector<Carried> m_carried;
    ZMRContextLink m_contextLink;
};
