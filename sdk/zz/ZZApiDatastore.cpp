#include "sdk/zz/ZZApiDatastore.h"

#include "platform/foundation/URL.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZPasteboard.h"
#include "sdk/zz/ZZPluginMetadata.h"

ZZApiDatastore& ZZApiDatastore::instance()
{
    static ZZApiDatastore* store = new ZZApiDatastore;
    return *store;
}

std::shared_ptr<ZZArrayPasteboard> ZZApiDatastore::registry() const
{
    auto board = ZZPasteboardMgr::instance().getArrayPasteboardByName(kRegistryBoard);
    if (board)
        board->setMaxReadSize(ZZArchive::kMaxRegistrySize);
    return board;
}

std::shared_ptr<ZZArrayPasteboard> ZZApiDatastore::adItems() const
{
    auto board = ZZPasteboardMgr::instance().getArrayPasteboardByName(kAdItemsBoard);
    if (board)
        board->setMaxReadSize(ZZArchive::kMaxRegistrySize);
    return board;
}

std::shared_ptr<ZZObjectPasteboard> ZZApiDatastore::apiMessage() const
{
    return ZZPasteboardMgr::instance().getObjectPasteboardByName(kApiMessageBoard);
}

std::shared_ptr<ZZObjectPasteboard> ZZApiDatastore::largeData() const
{
    return ZZPasteboardMgr::instance().getObjectPasteboardByName(kLargeDataBoard);
}

int ZZApiDatastore::registerWithMetadata(const std::shared_ptr<ZZPluginMetadata>& metadata)
{
    auto board = registry();
    if (!metadata || !board)
        return -1;
    bool changed = board->modifyList([&](ZZDataArray& list) {
        auto entries = list.objectArray(ZZArchive::kMaxRegistrySize);
        const auto& identifier = metadata->bundleIdentifier();
        for (std::size_t i = 0; identifier && i < entries.size(); ++i) {
            auto entry = entries[i].objectAs<ZZPluginMetadata>();
            if (entry && entry->bundleIdentifier() == identifier)
                return list.replaceObjectAtIndex(static_cast<long long>(i), pf::Value(metadata));
        }
        list.addObject(pf::Value(metadata));
        return true;
    });
    return changed ? 0 : -1;
}

int ZZApiDatastore::setAdItemArray(const std::vector<std::shared_ptr<ZZApiAdItem>>& items)
{
    auto board = adItems();
    if (!board)
        return -1;
    std::vector<pf::Value> values;
    for (const auto& item : items)
        if (item)
            values.emplace_back(item);
    return board->setObjectArray(values) ? 0 : -1;
}

std::optional<std::vector<pf::Value>> ZZApiDatastore::getAdItemArray() const
{
    auto board = adItems();
    return board ? board->objectArray() : std::nullopt;
}

int ZZApiDatastore::setApiMessage(const pf::Value& message)
{
    auto board = apiMessage();
    return board && board->setObject(message) ? 0 : -1;
}

pf::Value ZZApiDatastore::getApiMessage() const
{
    auto board = apiMessage();
    return board ? board->object() : pf::Value();
}

void ZZApiDatastore::clearApiMessage()
{
    if (auto board = apiMessage())
        board->clear();
}

int ZZApiDatastore::setApiLargeData(const pf::Value& value)
{
    auto board = largeData();
    if (!board)
        return -1;
    if (value.isNil()) {
        board->clear();
        return 0;
    }
    bool stored = isZZSupportApiGeneralPastboard() ? board->setObjectByGeneralPastboard(value) : board->setObject(value);
    return stored ? 0 : -1;
}

pf::Value ZZApiDatastore::getApiLargeData() const
{
    auto board = largeData();
    return board ? board->object() : pf::Value();
}

pf::Value ZZApiDatastore::getApiLargeDataByGeneralPastboard() const
{
    auto board = largeData();
    return board ? board->objectFromGeneralPastboard() : pf::Value();
}

void ZZApiDatastore::clearApiLargeData()
{
    if (auto board = largeData())
        board->clear();
}

bool ZZApiDatastore::isZZSupportApiGeneralPastboard() const
{
    return ZZOpenApiUtility::canOpenURL(pf::URL::create("mzzopensdkapiV2://"));
}
