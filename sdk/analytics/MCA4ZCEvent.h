#pragma once

// The records the collector stores and uploads, each one JSON object text:
// the session environment (type 2), custom events (1000) and the ZZ-number
// event (1001). The text is made when the event is stored or sent, so the
// common values ("mc", "ky", …) are those of that moment, while "ts" is the
// creation time. toJsonString() runs on the facade queue.

#include "platform/foundation/Forward.h"

#include <cstdint>
#include <memory>
#include <string>

class MCA4ZCEvent {
public:
    MCA4ZCEvent();
    virtual ~MCA4ZCEvent() = default;

    std::uint32_t ts = 0;
    std::uint32_t sid = 0;

    virtual int getType() const { return 0; }
    virtual void encode(pf::Dictionary& out) const;
    std::string toJsonString() const;
};

class MCA4ZCSessionEnv : public MCA4ZCEvent {
public:
    int getType() const override { return 2; }
    void encode(pf::Dictionary& out) const override;
};

class MCA4ZCCustomEvent : public MCA4ZCEvent {
public:
    std::string eventID;
    pf::ArrayRef args;
    pf::DictionaryRef kvs;
    std::uint32_t duration = 0;

    int getType() const override { return 1000; }
    void encode(pf::Dictionary& out) const override;
};

class MCA4ZCAdditionEvent : public MCA4ZCEvent {
public:
    int getType() const override { return 1001; }
    void encode(pf::Dictionary& out) const override;
};
