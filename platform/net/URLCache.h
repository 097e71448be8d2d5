#pragma once

// The process's shared URL cache: what HTTP exchanges ask before going to the
// network. An exchange whose request has the cache policy
// ReloadIgnoringLocalCacheData never asks. The default cache stores nothing
// and answers nothing; a component that serves some URLs locally installs its
// own with setShared(), and it stays installed until replaced.
//
// Any thread: exchanges run on worker threads, so a cache's answers must be
// safe to give from any thread. shared() and setShared() are thread-safe.

#include "platform/foundation/Forward.h"
#include "platform/net/HttpResponse.h"

#include <memory>
#include <optional>

namespace pf {

struct CachedURLResponse {
    HttpResponse response;
    Bytes data;
};

class URLCache {
public:
    virtual ~URLCache() = default;

    // Never null.
    static std::shared_ptr<URLCache> shared();
    // Null puts the default cache back.
    static void setShared(std::shared_ptr<URLCache> cache);

    // The stored answer to `request`, or nothing to go to the network.
    virtual std::optional<CachedURLResponse> cachedResponseForRequest(const HttpRequest& request);
};

}
