// Links: mca_analytics
// Feeds untrusted bytes to the collector's reply handling: a reply plain or
// enciphered, or an upload body as the collector reads it (gunzipped under a
// 4 MiB cap). What decodes is applied to a configuration holder over an
// in-memory store; the strategy may change only through an "rs" of at least 1.
#include "platform/foundation/Collections.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class MemoryStore : public MCA4ZCConfigStore {
public:
    void storeConfig(const MCA4ZCDataConfig& config) override { rows.push_back(config); }
    void loadConfig(const std::function<void(const MCA4ZCDataConfig&)>& row) override
    {
        for (const auto& config : rows)
            row(config);
    }
    std::vector<MCA4ZCDataConfig> rows;
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 20))
        return 0;
    pf::Bytes body(data + 1, data + size);
    switch (data[0] % 3) {
    case 1: MCA4ZCHelper::ChiperRC4(body); break;
    case 2: {
        MCA4ZCHelper::ChiperRC4(body);
        if (body.size() < 4)
            return 0;
        pf::Bytes packed(body.begin() + 4, body.end()), plain;
        if (MCA4ZCHelper::GUnzip(packed, &plain, 4u << 20) != 0)
            return 0;
        if (plain.size() > (4u << 20))
            std::abort();
        body = std::move(plain);
        break;
    }
    default: break;
    }
    pf::Value reply = objectFromJSONData(body);
    MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
    config.reset();
    auto store = std::make_shared<MemoryStore>();
    MCA4ZCDataConfigHolder holder(store, config);
    holder.updateOnlineConfig(reply);
    std::int32_t strategy = config.reportStrategy;
    if (strategy != 3) {
        auto sdk = holder.getConfig(1);
        if (!sdk || strategy < 1)
            std::abort();
        pf::Value rs = objectFromJSONString(sdk->content).dictionary()->get("rs");
        if (!rs.isNumber())
            std::abort();
    }
    // A restart over the same store reaches the same settings.
    config.reset();
    MCA4ZCDataConfigHolder again(store, config);
    if (config.reportStrategy != strategy)
        std::abort();
    return 0;
}
