#pragma once

// One request of KRURLService in flight: the task type it came under, the
// data source (owned until the request ends), its HTTP task, and what was
// decided when it was sent: the cache key of its answer (page 1 only) and
// whether its answer is already on its way to the data source.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>

class KRHttpTask;

class KRURLServiceItem : public pf::Object {
public:
    const pf::Protocol* taskType = nullptr;
    pf::ObjectRef task;
    std::shared_ptr<KRHttpTask> httpTask;
    std::optional<std::string> cacheKey;
    bool answered = false;
};
