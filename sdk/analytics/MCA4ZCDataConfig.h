#pragma once

// One online configuration as the server sends it and the store keeps it:
// type 1 (the collector's own settings) or 2 (the application's), its
// version, digest text and the configuration object as JSON text.

#include "platform/foundation/Forward.h"

#include <cstdint>
#include <functional>
#include <string>

struct MCA4ZCDataConfig {
    std::uint32_t type = 0;
    std::uint32_t version = 0;
    std::string md5;
    std::string content;

    // Reads one entry {"c": object, "v": number, "m": text}; false (and
    // nothing changed) for any other shape.
    bool decode(const pf::Dictionary& entry);
    // Writes {"v": version} into `out`.
    void encodeWithNoContent(pf::Dictionary& out) const;
};

// Where configurations are kept between runs; the store implements it.
class MCA4ZCConfigStore {
public:
    virtual ~MCA4ZCConfigStore() = default;
    virtual void storeConfig(const MCA4ZCDataConfig& config) = 0;
    // Calls `row` once per stored configuration, on the calling thread.
    virtual void loadConfig(const std::function<void(const MCA4ZCDataConfig&)>& row) = 0;
};
