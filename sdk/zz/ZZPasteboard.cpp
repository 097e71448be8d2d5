#include "sdk/zz/ZZPasteboard.h"

#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/ZZDataArray.h"

#include <algorithm>

namespace {

void removeType(std::vector<pf::Pasteboard::Item>& items, const std::string& type)
{
    for (auto& item : items)
        std::erase_if(item, [&](const auto& entry) { return entry.first == type; });
    std::erase_if(items, [](const auto& item) { return item.empty(); });
}

const pf::Bytes* findType(const std::vector<pf::Pasteboard::Item>& items, const std::string& type)
{
    for (const auto& item : items)
        for (const auto& [itemType, data] : item)
            if (itemType == type)
                return &data;
    return nullptr;
}

// Sets the data of `type` in place of any earlier one.
void storeType(std::vector<pf::Pasteboard::Item>& items, const std::string& type, pf::Bytes data)
{
    removeType(items, type);
    items.push_back({ { type, std::move(data) } });
}

}

std::shared_ptr<pf::Pasteboard> ZZPasteboard::board() const
{
    auto named = pf::Pasteboard::withName(m_name, true);
    // Marking reads the whole board, so once per board object is enough.
    if (named && !m_markedPersistent) {
        if (!named->isPersistent())
            named->setPersistent(true);
        m_markedPersistent = true;
    }
    return named;
}

std::optional<pf::Bytes> ZZPasteboard::storedData(const pf::Pasteboard& from) const
{
    auto data = from.dataForPasteboardType(m_name);
    if (!data || data->size() > m_maxReadSize)
        return std::nullopt;
    return data;
}

void ZZPasteboard::clear()
{
    if (auto named = board())
        named->modifyItems([&](auto& items) { removeType(items, m_name); });
    pf::Pasteboard::general()->modifyItems([&](auto& items) { removeType(items, m_name); });
}

bool ZZObjectPasteboard::setObject(const pf::Value& object)
{
    auto named = board();
    if (!named)
        return false;
    if (object.isNil())
        return named->modifyItems([&](auto& items) { removeType(items, name()); });
    auto data = ZZArchive::archivedData(object);
    if (!data)
        return false;
    return named->modifyItems([&](auto& items) { storeType(items, name(), std::move(*data)); });
}

bool ZZObjectPasteboard::setObjectByGeneralPastboard(const pf::Value& object)
{
    auto general = pf::Pasteboard::general();
    if (object.isNil())
        return general->modifyItems([&](auto& items) { removeType(items, name()); });
    auto data = ZZArchive::archivedData(object);
    if (!data)
        return false;
    general->setData(*data, name());
    return true;
}

pf::Value ZZObjectPasteboard::object() const
{
    auto named = board();
    auto data = named ? storedData(*named) : std::nullopt;
    return data ? ZZArchive::unarchive(*data, maxReadSize()) : pf::Value();
}

pf::Value ZZObjectPasteboard::objectFromGeneralPastboard() const
{
    auto data = storedData(*pf::Pasteboard::general());
    return data ? ZZArchive::unarchive(*data, maxReadSize()) : pf::Value();
}

pf::Value ZZPasteboard::takeDecoded(pf::Pasteboard& board, const std::string& type, std::size_t maxSize,
                                     const std::function<pf::Value(const pf::Bytes&)>& decode)
{
    pf::Value taken;
    board.modifyItems([&](auto& items) {
        const pf::Bytes* data = findType(items, type);
        if (!data || data->size() > maxSize)
            return;
        taken = decode(*data);
        if (!taken.isNil())
            removeType(items, type);
    });
    return taken;
}

pf::Value ZZObjectPasteboard::takeObject()
{
    auto named = board();
    if (!named)
        return {};
    std::size_t cap = maxReadSize();
    return takeDecoded(*named, name(), cap, [cap](const pf::Bytes& data) { return ZZArchive::unarchive(data, cap); });
}

bool ZZArrayPasteboard::modifyList(const std::function<bool(ZZDataArray&)>& change)
{
    auto named = board();
    if (!named)
        return false;
    bool changed = false;
    bool written = named->modifyItems([&](auto& items) {
        std::shared_ptr<ZZDataArray> list;
        if (const pf::Bytes* data = findType(items, name())) {
            if (data->size() > maxReadSize())
                return;
            list = ZZArchive::unarchive(*data, maxReadSize()).template objectAs<ZZDataArray>();
            if (!list)
                return;
        } else {
            list = std::make_shared<ZZDataArray>();
        }
        if (!change(*list))
            return;
        auto archived = ZZArchive::archivedData(pf::Value(list));
        if (!archived)
            return;
        storeType(items, name(), std::move(*archived));
        changed = true;
    });
    return written && changed;
}

bool ZZArrayPasteboard::addObject(const pf::Value& object)
{
    if (object.isNil())
        return false;
    return modifyList([&](ZZDataArray& list) {
        list.addObject(object);
        return true;
    });
}

bool ZZArrayPasteboard::removeObjectAtIndex(long long index)
{
    return modifyList([&](ZZDataArray& list) { return list.removeObjectAtIndex(index); });
}

bool ZZArrayPasteboard::replaceObjectAtIndex(long long index, const pf::Value& object)
{
    return modifyList([&](ZZDataArray& list) { return list.replaceObjectAtIndex(index, object); });
}

bool ZZArrayPasteboard::setObjectArray(const std::vector<pf::Value>& objects)
{
    return modifyList([&](ZZDataArray& list) {
        list.removeAllObjects();
        for (const pf::Value& object : objects)
            list.addObject(object);
        return true;
    });
}

std::optional<std::vector<pf::Value>> ZZArrayPasteboard::objectArray() const
{
    auto named = board();
    auto data = named ? storedData(*named) : std::nullopt;
    if (!data)
        return std::nullopt;
    auto list = ZZArchive::unarchive(*data, maxReadSize()).objectAs<ZZDataArray>();
    if (!list)
        return std::nullopt;
    return list->objectArray(maxReadSize());
}

ZZPasteboardMgr& ZZPasteboardMgr::instance()
{
    static ZZPasteboardMgr* manager = new ZZPasteboardMgr;
    return *manager;
}

std::shared_ptr<ZZObjectPasteboard> ZZPasteboardMgr::getObjectPasteboardByName(const std::string& name)
{
    if (name.empty())
        return nullptr;
    for (const auto& board : m_boards)
        if (board->name() == name)
            return std::dynamic_pointer_cast<ZZObjectPasteboard>(board);
    auto board = std::make_shared<ZZObjectPasteboard>(name, ZZArchive::kMaxMessageSize);
    m_boards.push_back(board);
    return board;
}

std::shared_ptr<ZZArrayPasteboard> ZZPasteboardMgr::getArrayPasteboardByName(const std::string& name)
{
    if (name.empty())
        return nullptr;
    for (const auto& board : m_boards)
        if (board->name() == name)
            return std::dynamic_pointer_cast<ZZArrayPasteboard>(board);
    auto board = std::make_shared<ZZArrayPasteboard>(name, ZZArchive::kMaxMessageSize);
    m_boards.push_back(board);
    return board;
}
