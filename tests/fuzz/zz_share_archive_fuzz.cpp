// Links: zz_sdk
// Reads arbitrary bytes as another app's board content: straight through
// the share model's archive reader (message, data array, plugin metadata,
// ad items), and from the datastore's four boards. Nothing may crash; a
// decoded record archives again and reads back as the same kind; and a
// registry the SDK cannot read is never rewritten by a registration.
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZPluginMetadata.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <typeinfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        char pattern[] = "/tmp/zz-share-archive-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        setenv("ZMR_DEVICE_DIR", pattern, 1);
        static std::string folder = pattern;
        std::atexit([] { std::filesystem::remove_all(folder); });
        return true;
    }();
    (void)prepared;
    pf::Bytes bytes(data, data + size);
    for (std::size_t cap : { ZZArchive::kMaxRegistrySize, ZZArchive::kMaxMessageSize }) {
        pf::Value value = ZZArchive::unarchive(bytes, cap);
        if (auto list = value.objectAs<ZZDataArray>()) {
            auto objects = list->objectArray(cap);
            if (objects.size() != list->count())
                std::abort();
        }
        if (value.isObject()) {
            auto again = ZZArchive::archivedData(value);
            if (!again)
                std::abort();
            pf::Value back = ZZArchive::unarchive(*again, SIZE_MAX);
            const pf::Object* original = value.objectPointer();
            const pf::Object* reread = back.objectPointer();
            if (!reread || typeid(*reread) != typeid(*original))
                std::abort();
        }
    }

    auto& store = ZZApiDatastore::instance();
    for (const char* name : { ZZApiDatastore::kRegistryBoard, ZZApiDatastore::kAdItemsBoard,
                              ZZApiDatastore::kApiMessageBoard, ZZApiDatastore::kLargeDataBoard })
        pf::Pasteboard::withName(name, true)->setData(bytes, name);
    (void)store.getApiMessage();
    (void)store.getApiLargeData();
    (void)store.getAdItemArray();
    auto registry = pf::Pasteboard::withName(ZZApiDatastore::kRegistryBoard, false);
    auto metadata = std::make_shared<ZZPluginMetadata>();
    metadata->setBundleIdentifier("com.zomaru.app");
    if (store.registerWithMetadata(metadata) != 0 && registry->dataForPasteboardType(ZZApiDatastore::kRegistryBoard) != bytes)
        std::abort();
    return 0;
}
