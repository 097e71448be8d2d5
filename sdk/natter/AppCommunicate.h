#pragma once

// The boards between this app and Natter: "natter_data" holds one binary
// property-list dictionary from app id to that app's record, "natter_file"
// the file bytes of the current record (one slot for everybody). Both are
// opened by name, created and made persistent on each use; every item is of
// type "content".
//
// Other apps keep their records on the same board, so every change is one
// read-modify-write under the board's lock: a write puts our record beside
// the others, a read takes out only our record and writes the others back.
// A non-empty board over its read cap or not a property-list dictionary is
// never replaced: the write fails (NO) and the board stays as it is.
//
// Any thread; every call goes to the boards.

#include "platform/foundation/Forward.h"
#include "sdk/natter/Forward.h"

#include <memory>
#include <optional>
#include <string>

namespace pf {
class Pasteboard;
}

class AppCommunicate {
public:
    static constexpr std::size_t kMaxDataBoard = 4u << 20;
    static constexpr std::size_t kMaxFileData = 10485760;

    static std::string getDataPasteboardName() { return "natter_data"; }
    static std::string getFilePasteboardName() { return "natter_file"; }
    // The boards by name, created when missing and marked persistent; null
    // when the device's board folder cannot be had.
    static std::shared_ptr<pf::Pasteboard> getDataPasteboard();
    static std::shared_ptr<pf::Pasteboard> getFilePasteboard();

    // Every app's record as it stands, without taking any; null when the
    // board is empty, over its cap or no dictionary.
    static pf::DictionaryRef propertyListForAllApp();
    static bool setPropertyList(const pf::DictionaryRef& record, const std::string& appID);
    // Takes out the record of `appID` (read once); null when there is none.
    static pf::DictionaryRef propertyListForAppID(const std::string& appID);
    static bool setAppCommunicateData(const AppCommunicateData& data, const std::optional<std::string>& appID);
    // The record of `appID` with the file bytes, both taken; null when none.
    static std::shared_ptr<AppCommunicateData> appCommunicateDataForAppID(const std::optional<std::string>& appID);
    static bool setFileData(const std::optional<pf::Bytes>& data);
    // Takes the file slot; nothing when empty or over kMaxFileData.
    static std::optional<pf::Bytes> fileData();
};

namespace natter {
// Puts `entry` under `key` of the dictionary on board `name` in one locked
// read-modify-write; NO when the board must be left alone (over `cap`, not
// a property-list dictionary) or the result does not encode.
bool putIntoBoard(const std::string& name, std::size_t cap, const std::string& key, const pf::DictionaryRef& entry);
}
