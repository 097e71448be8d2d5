#pragma once

#include "app/services/ZMRPageDataSource.h"
#include "framework/core/KRJSON.h"

#include <string>
#include <vector>

// A list data source that writes down what reached it.
class RecordingDataSource : public ZMRPageDataSource {
public:
    std::vector<std::string> events;
    std::vector<pf::Value> data;
    std::vector<pf::Error> errors;

    void krDownlinkTaskDidLoadedFromCache(const pf::Value& d, pf::Date, const pf::Protocol*) override
    {
        events.push_back("cache");
        data.push_back(d);
    }
    void krDownlinkTaskDidLoaded(const pf::Value& d, const pf::Protocol*) override
    {
        events.push_back("loaded");
        data.push_back(d);
    }
    void krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol*) override
    {
        events.push_back("error " + std::to_string(error.code));
        errors.push_back(error);
    }
};
