// Links: natter_sdk
// Hands arbitrary bytes to the Natter SDK as the "natter_data" board, as
// any process may write it, and reads this app's record through the same
// path as an answer from Natter. Nothing may crash or leak; a record is
// taken only from a readable dictionary, which keeps every other app's
// entry; an unreadable board stays byte for byte; the record's objects come
// out within their limits. The same bytes read as Natter's record of a
// registered app either fail or give a record that archives and reads back
// the same.
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/natter/AppCommunicate.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/AppRegisterInfo.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"
#include "sdk/natter/NatterApiUtil.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        std::string dir = "/tmp/zmr-natter-fuzz-" + std::to_string(getpid());
        setenv("ZMR_DEVICE_DIR", dir.c_str(), 1);
        std::atexit([] { std::filesystem::remove_all(std::getenv("ZMR_DEVICE_DIR")); });
        return true;
    }();
    (void)ready;
    static const std::string appID = "nt6f2c91d04ab37e58";
    pf::Bytes bytes(data, data + size);
    if (auto info = AppRegisterInfo::unarchive(bytes)) {
        auto again = info->archivedData();
        if (!again || AppRegisterInfo::unarchive(*again) != info)
            std::abort();
    }
    auto board = pf::Pasteboard::withName("natter_data", true);
    board->setData(bytes, "content");
    pf::Pasteboard::withName("natter_file", true)->setData(pf::Bytes{1, 2, 3}, "content");

    auto before = NatterApiUtil::propertyListFromData(bytes, AppCommunicate::kMaxDataBoard);
    auto all = before && before->dictionary() ? before->dictionary() : nullptr;
    auto record = AppCommunicate::appCommunicateDataForAppID(appID);
    auto after = board->dataForPasteboardType("content");
    if (!all) {
        if (record || !after || *after != bytes)
            std::abort();
        return 0;
    }
    // A record is taken only with the others written back; else nothing changes.
    if (record && !all->dictionary(appID))
        std::abort();
    if (!record && (!after || *after != bytes))
        std::abort();
    if (!record)
        return 0;
    auto left = AppCommunicate::propertyListForAllApp();
    for (const auto& key : all->keys())
        if (key != appID && (!left || !left->contains(key)))
            std::abort();
    if (left && left->contains(appID))
        std::abort();
    record->DataToReq();
    record->DataToResp();
    if (auto message = record->mediaMessage()) {
        if ((message->title && message->title->size() > 512 * 3) || (message->thumbData && message->thumbData->size() > 32768))
            std::abort();
    }
    record->textMessage();
    record->authRequest();
    record->authResp();
    return 0;
}
