#pragma once

// The board slot a ZZ app answer names, filled from fuzz input for the
// answer-reading targets. Header-only: each fuzz target is one program.

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <string_view>

// Saves a login payload (which makes the slot) and writes `slotBytes` into
// it; "?k=v&…" stands for an archived dictionary of those texts, so that
// well-formed answers with odd values are reached too. The slot's name, or
// nothing when no slot could be made.
inline auto fillAnswerSlot(std::string_view slotBytes)
{
    auto slot = OpenApi::JS_saveDictionary(pf::Dictionary::create({ { "permission", "all" }, { "appid", "101452831" } }));
    if (!slot)
        return slot;
    pf::Bytes slotData(slotBytes.begin(), slotBytes.end());
    if (slotBytes.starts_with('?')) {
        auto fields = CorvanaOAuth::parseURLParams(slotBytes.substr(1));
        slotData = pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(fields)).value_or(pf::Bytes());
    }
    pf::Pasteboard::withName(*slot, true)->setData(slotData, OpenApi::kDataType);
    return slot;
}
