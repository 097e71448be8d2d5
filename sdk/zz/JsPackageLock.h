#pragma once

// The one lock over the script-package folders: an update run, a bundle
// package install and the bridge's verify-then-read each hold it, so no
// reader sees a half-swapped folder. A process-wide mutex plus an exclusive
// lock on "<caches>/js.lock", which also keeps a second process out.
// Not re-entrant: hold at most one per thread.

#include <string>

class JsPackageLock {
public:
    explicit JsPackageLock(const std::string& cachesFolder);
    ~JsPackageLock();
    JsPackageLock(const JsPackageLock&) = delete;
    JsPackageLock& operator=(const JsPackageLock&) = delete;

private:
    int m_fd = -1;
};
