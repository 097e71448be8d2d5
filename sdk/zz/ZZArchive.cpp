#include "sdk/zz/ZZArchive.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZPluginMetadata.h"

#include <functional>
#include <limits>
#include <map>

namespace ZZArchive {

namespace {

using Decoder = std::function<pf::ObjectRef(const pf::Dictionary&, std::size_t)>;

// The only classes a board may name.
const std::map<std::string, Decoder, std::less<>>& table()
{
    static const std::map<std::string, Decoder, std::less<>> decoders = {
        { "ZZApiMessage", [](const pf::Dictionary& f, std::size_t max) { return ZZApiMessage::decode(f, max); } },
        { "ZZApiObjectCoderImpl", [](const pf::Dictionary& f, std::size_t) { return ZZApiObjectCoderImpl::decode(f); } },
        { "ZZApiAdItem", [](const pf::Dictionary& f, std::size_t) { return ZZApiAdItem::decode(f); } },
        { "ZZDataArray", [](const pf::Dictionary& f, std::size_t) { return ZZDataArray::decode(f); } },
        { "ZZPluginMetadata", [](const pf::Dictionary& f, std::size_t) { return ZZPluginMetadata::decode(f); } },
    };
    return decoders;
}

// Records nest as archives in data fields (a list's elements, a message's
// object); how deep this thread is in them.
thread_local int t_nesting = 0;

class NestingScope {
public:
    NestingScope() { ++t_nesting; }
    ~NestingScope() { --t_nesting; }
    NestingScope(const NestingScope&) = delete;
    NestingScope& operator=(const NestingScope&) = delete;
    bool allowed() const { return t_nesting <= kMaxNesting; }
};

}

std::optional<pf::Bytes> archivedData(const pf::Value& root)
{
    if (root.isObject()) {
        auto record = root.objectAs<ZZArchivedRecord>();
        if (!record)
            return std::nullopt;
        return pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(record->archiveDictionary()));
    }
    return pf::KeyedArchiver::archivedDataWithRootObject(root);
}

pf::Value decodeRoot(const pf::Value& root, std::size_t maxSize)
{
    auto fields = root.dictionary();
    if (!fields || !fields->contains(kClassKey))
        return root;
    auto name = fields->string(kClassKey);
    if (!name)
        return {};
    auto found = table().find(*name);
    if (found == table().end())
        return {};
    auto object = found->second(*fields, maxSize);
    return object ? pf::Value(object) : pf::Value();
}

pf::Value unarchive(const pf::Bytes& data, std::size_t maxSize, std::string_view expectedClass)
{
    // Each level holds its own copy of what it nests, so a chain of records
    // inside records would cost the square of its size; the nesting is
    // bounded, and a record expecting one class decodes nothing else.
    NestingScope scope;
    if (!scope.allowed())
        return {};
    auto root = pf::KeyedUnarchiver::unarchiveObjectWithData(data, pf::KeyedUnarchiver::valueClasses(), maxSize);
    if (!root)
        return {};
    if (!expectedClass.empty()) {
        auto fields = root->dictionary();
        if (!fields || fields->string(kClassKey) != expectedClass)
            return {};
    }
    return decodeRoot(*root, maxSize);
}

std::optional<std::string> textField(const pf::Dictionary& fields, std::string_view key)
{
    return fields.string(key);
}

std::optional<pf::Bytes> dataField(const pf::Dictionary& fields, std::string_view key)
{
    if (auto data = fields.get(key).data())
        return *data;
    return std::nullopt;
}

long long integerField(const pf::Dictionary& fields, std::string_view key)
{
    const pf::Value value = fields.get(key);
    const pf::Number* number = value.number();
    return number && number->isInteger() ? number->asLongLong() : 0;
}

int intField(const pf::Dictionary& fields, std::string_view key)
{
    long long n = integerField(fields, key);
    return n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max() ? static_cast<int>(n) : 0;
}

std::optional<pf::URL> urlField(const pf::Dictionary& fields, std::string_view key)
{
    auto text = fields.string(key);
    return text ? pf::URL::create(*text) : std::nullopt;
}

}
