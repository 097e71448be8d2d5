#include "sdk/natter/AppCommunicate.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/NatterApiUtil.h"

namespace {

// The boards are made persistent on every use: the writes below set the
// flag in their own locked write, a plain read sets it first.
std::shared_ptr<pf::Pasteboard> board(const std::string& name) { return pf::Pasteboard::withName(name, true); }

std::shared_ptr<pf::Pasteboard> persistentBoard(const std::string& name)
{
    auto pasteboard = board(name);
    if (pasteboard)
        pasteboard->setPersistent(true);
    return pasteboard;
}

const pf::Bytes* content(const std::vector<pf::Pasteboard::Item>& items)
{
    for (const auto& item : items)
        for (const auto& [type, data] : item)
            if (type == "content")
                return &data;
    return nullptr;
}

}

namespace natter {

// The dictionary a board's "content" holds: an empty one for an empty
// board, null for one that must be left alone (over `cap`, or not a
// property-list dictionary).
pf::DictionaryRef readBoardDictionary(const std::vector<pf::Pasteboard::Item>& items, std::size_t cap)
{
    const pf::Bytes* data = content(items);
    if (!data || data->empty())
        return pf::Dictionary::create();
    auto value = NatterApiUtil::propertyListFromData(*data, cap);
    if (!value || !value->dictionary())
        return nullptr;
    return value->dictionary()->mutableCopy();
}

// Puts `entry` under `key` of the board's dictionary in one locked
// read-modify-write; NO when the board must be left alone or encoding fails.
bool putIntoBoard(const std::string& name, std::size_t cap, const std::string& key, const pf::DictionaryRef& entry)
{
    auto pasteboard = board(name);
    if (!pasteboard)
        return false;
    bool written = false;
    bool saved = pasteboard->modifyItemsIfChanged([&](std::vector<pf::Pasteboard::Item>& items) {
        auto all = readBoardDictionary(items, cap);
        if (!all)
            return false;
        all->set(key, entry);
        auto data = NatterApiUtil::dataFromPropertyList(all);
        if (!data)
            return false;
        items = {{{"content", std::move(*data)}}};
        written = true;
        return true;
    }, true);
    return saved && written;
}

}

std::shared_ptr<pf::Pasteboard> AppCommunicate::getDataPasteboard() { return persistentBoard(getDataPasteboardName()); }

std::shared_ptr<pf::Pasteboard> AppCommunicate::getFilePasteboard() { return persistentBoard(getFilePasteboardName()); }

pf::DictionaryRef AppCommunicate::propertyListForAllApp()
{
    auto pasteboard = getDataPasteboard();
    if (!pasteboard)
        return nullptr;
    auto all = natter::readBoardDictionary(pasteboard->items(), kMaxDataBoard);
    return all && !all->empty() ? all : nullptr;
}

bool AppCommunicate::setPropertyList(const pf::DictionaryRef& record, const std::string& appID)
{
    return record && natter::putIntoBoard(getDataPasteboardName(), kMaxDataBoard, appID, record);
}

pf::DictionaryRef AppCommunicate::propertyListForAppID(const std::string& appID)
{
    auto pasteboard = board(getDataPasteboardName());
    if (!pasteboard)
        return nullptr;
    pf::DictionaryRef record;
    // A board without our record is left as it was, not rewritten.
    pasteboard->modifyItemsIfChanged([&](std::vector<pf::Pasteboard::Item>& items) {
        auto all = natter::readBoardDictionary(items, kMaxDataBoard);
        if (!all)
            return false;
        auto found = all->dictionary(appID);
        if (!found)
            return false;
        // Each record is read once; the other apps' records stay. When they
        // cannot be written back as they were, nothing is taken.
        all->remove(appID);
        auto rest = all->empty() ? std::optional<pf::Bytes>(pf::Bytes()) : NatterApiUtil::dataFromPropertyList(all);
        if (!rest)
            return false;
        items = {{{"content", std::move(*rest)}}};
        record = found;
        return true;
    }, true);
    return record;
}

bool AppCommunicate::setAppCommunicateData(const AppCommunicateData& data, const std::optional<std::string>& appID)
{
    if (!appID || !data.propertList())
        return false;
    if (!setPropertyList(data.propertList(), *appID))
        return false;
    return setFileData(data.fileData);
}

std::shared_ptr<AppCommunicateData> AppCommunicate::appCommunicateDataForAppID(const std::optional<std::string>& appID)
{
    if (!appID)
        return nullptr;
    auto record = propertyListForAppID(*appID);
    if (!record)
        return nullptr;
    auto data = std::make_shared<AppCommunicateData>(record);
    data->fileData = fileData();
    return data;
}

bool AppCommunicate::setFileData(const std::optional<pf::Bytes>& data)
{
    auto pasteboard = board(getFilePasteboardName());
    if (!pasteboard)
        return false;
    // Replaced whole: the old picture is never read, and the new one goes to
    // the board's encoder from the caller's bytes, uncopied.
    static const pf::Bytes none;
    return pasteboard->setData(data ? *data : none, "content", true);
}

std::optional<pf::Bytes> AppCommunicate::fileData()
{
    auto pasteboard = board(getFilePasteboardName());
    if (!pasteboard)
        return std::nullopt;
    std::optional<pf::Bytes> out;
    // An already empty board is not rewritten.
    pasteboard->modifyItemsIfChanged([&](std::vector<pf::Pasteboard::Item>& items) {
        const pf::Bytes* data = content(items);
        if (items.empty() || (items.size() == 1 && items[0].size() == 1 && data && data->empty()))
            return false;
        // Taken out, not copied: the board is emptied right after.
        if (data && !data->empty() && data->size() <= kMaxFileData)
            out = std::move(const_cast<pf::Bytes&>(*data));
        items = {{{"content", pf::Bytes()}}};
        return true;
    }, true);
    return out;
}
