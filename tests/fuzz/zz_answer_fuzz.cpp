// Links: zz_sdk pf_net pf_foundation
// Parses arbitrary answer bytes as the call layer does, with and without an
// error slot: a result is a dictionary or an array, an error always names a
// domain, and the slot-less form never answers for a failure it hides.
#include "platform/foundation/Collections.h"
#include "sdk/zz/CorvanaRequest.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    pf::Bytes bytes(data, data + size);
    CorvanaError error;
    pf::Value withSlot = CorvanaRequest::parseJsonResponse(bytes, &error);
    pf::Value withoutSlot = CorvanaRequest::parseJsonResponse(bytes, nullptr);
    for (const pf::Value* result : { &withSlot, &withoutSlot }) {
        if (!result->isNil() && !result->isDictionary() && !result->isArray())
            std::abort();
    }
    bool failed = !error.error.domain.empty();
    if (failed && !error.userInfo)
        std::abort();
    // Without a slot, only answers that carry "error_msg" or "error_reason"
    // come back although they failed; everything else agrees.
    if (!failed && !(withSlot == withoutSlot))
        std::abort();
    if (failed && !withoutSlot.isNil()) {
        auto dictionary = withoutSlot.dictionary();
        if (!dictionary || !(dictionary->contains("error_msg") || dictionary->contains("error_reason")))
            std::abort();
    }
    return 0;
}
