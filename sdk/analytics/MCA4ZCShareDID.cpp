#include "sdk/analytics/MCA4ZCShareDID.h"

#include "framework/util/KRMD5String.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>
#include <openssl/rand.h>
#include <random>
#include <set>
#include <vector>

namespace {

std::mutex g_mutex; // guards g_cache and every first call
std::string g_cache;

std::string newUUIDString()
{
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        std::random_device device;
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(device());
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const std::set<std::string>& archiveClasses()
{
    static const std::set<std::string> classes{"Dictionary", "String", "Date", "Number", "Array", "Null"};
    return classes;
}

std::string formatDate(const pf::Value& date)
{
    return date.isNil() ? std::string("(null)") : date.description();
}

}

std::string MCA4ZCShareDID::slotName(int slot)
{
    return std::string(kSlotPrefix) + ".slot." + std::to_string(slot);
}

bool MCA4ZCShareDID::isValidShareDID(const std::string& text)
{
    return text.size() == 40 &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string MCA4ZCShareDID::generateFreshShareDID()
{
    std::uint32_t random = 0;
    if (RAND_bytes(reinterpret_cast<unsigned char*>(&random), sizeof random) != 1)
        random = std::random_device()();
    char tail[9];
    std::snprintf(tail, sizeof tail, "%08x", static_cast<unsigned>(random % 4294967295u));
    return lower(krMD5String(std::string_view(newUUIDString()))) + tail;
}

pf::DictionaryRef MCA4ZCShareDID::getDictFromPasteboard(const pf::Pasteboard& board)
{
    auto data = board.dataForPasteboardType(kSlotPrefix);
    if (!data || data->size() > kMaxArchiveSize)
        return std::make_shared<pf::Dictionary>();
    auto root = pf::KeyedUnarchiver::unarchiveObjectWithData(*data, archiveClasses(), kMaxArchiveSize);
    if (!root || !root->isDictionary())
        return std::make_shared<pf::Dictionary>();
    return root->dictionary()->mutableCopy();
}

void MCA4ZCShareDID::setDictForPasteboard(const pf::Dictionary& dict, pf::Pasteboard& board)
{
    auto archive = pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(dict.mutableCopy()));
    if (archive)
        board.setData(*archive, kSlotPrefix);
}

std::string MCA4ZCShareDID::value() { return valueWithError().value; }

MCA4ZCShareDIDResult MCA4ZCShareDID::valueWithError()
{
    std::lock_guard lock(g_mutex);
    if (!g_cache.empty())
        return {g_cache, 0, "ShareDID in cache from first call"};

    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    pf::Value stored = defaults.objectForKey("ShareDID");
    pf::DictionaryRef record = stored.isDictionary() ? stored.dictionary()->mutableCopy() : nullptr;
    // The app's id: from its record, else the top-level key, else new for this run.
    std::string appUID = (record ? record->string("ShareDID_appUID") : std::nullopt)
                             .value_or(defaults.stringForKey("ShareDID_appUID").value_or(newUUIDString()));
    std::string localID = record ? record->string("ShareDID").value_or("") : "";
    std::string localSlot = record ? record->string("ShareDID_slot").value_or("") : "";
    pf::Value optOutDate = record ? record->get("ShareDID_optOutTS") : pf::Value();
    bool optedOut = !optOutDate.isNil();

    std::map<std::string, int> counts;
    std::string freeSlot;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        std::string name = slotName(slot);
        auto board = pf::Pasteboard::withName(name, false);
        pf::DictionaryRef dict = board ? getDictFromPasteboard(*board) : nullptr;
        auto shareDID = dict ? dict->string("ShareDID") : std::nullopt;
        if (!shareDID || !isValidShareDID(*shareDID)) {
            if (freeSlot.empty())
                freeSlot = name;
            continue;
        }
        ++counts[*shareDID];
        if (dict->string("ShareDID_appUID") == appUID)
            optedOut = optedOut && !dict->get("ShareDID_optOutTS").isNil();
    }
    std::string mostFrequent;
    int best = 0;
    for (const auto& [identifier, count] : counts)
        if (count > best)
            best = count, mostFrequent = identifier;

    bool discrepancy = false;
    bool save = false;
    std::string chosen;
    if (!localID.empty()) {
        chosen = localID;
        discrepancy = !mostFrequent.empty() && mostFrequent != localID;
    } else {
        chosen = mostFrequent.empty() ? generateFreshShareDID() : mostFrequent;
        if (!record) {
            record = pf::Dictionary::create({{"ShareDID", chosen},
                                             {"ShareDID_appUID", appUID},
                                             {"ShareDID_createdTS", pf::Value(pf::Date::now())}});
            save = true;
        }
    }
    // A slot is claimed only while the stored record names none, so a restart
    // never takes a second slot.
    if (!freeSlot.empty() && (localSlot.empty() || localSlot == freeSlot)) {
        if (auto board = pf::Pasteboard::withName(freeSlot, true)) {
            board->setPersistent(true);
            if (record) {
                record->set("ShareDID_slot", freeSlot);
                save = true;
                setDictForPasteboard(*record, *board);
            }
        }
    }
    if (save) {
        defaults.setObject(pf::Value(record), "ShareDID");
        defaults.synchronize();
    }
    MCA4ZCShareDIDResult result;
    if (optedOut) {
        result = {std::string(40, '0'), 1,
                  "Application with unique id " + appUID + " is opted-out from ShareDID as of " + formatDate(optOutDate)};
    } else if (discrepancy) {
        result = {chosen, 2,
                  "Found a discrepancy between stored ShareDID (reliable) and redundant copies; one of the apps on the "
                  "device is most likely corrupting the ShareDID protocol"};
    } else {
        result = {chosen, 0, "ShareDID succesfully retrieved"};
    }
    g_cache = result.value;
    return result;
}

void MCA4ZCShareDID::setOptOut(bool optOut)
{
    value();
    std::lock_guard lock(g_mutex);
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    pf::Value stored = defaults.objectForKey("ShareDID");
    pf::DictionaryRef record = stored.isDictionary() ? stored.dictionary()->mutableCopy() : pf::Dictionary::create();
    if (optOut)
        record->set("ShareDID_optOutTS", pf::Value(pf::Date::now()));
    else
        record->remove("ShareDID_optOutTS");
    defaults.setObject(pf::Value(record), "ShareDID");
    defaults.synchronize();
    g_cache.clear();
}

void MCA4ZCShareDID::clearCache()
{
    std::lock_guard lock(g_mutex);
    g_cache.clear();
}
