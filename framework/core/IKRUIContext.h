#pragma once

// The screen side of the context: the screen-controller factory, focus
// values, the root controller and the one-shot results hand-back.
// Main queue only.

#include "framework/core/Forward.h"
#include "framework/core/IKRService.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <functional>

class IKRUIContext : public virtual IKRServiceContext {
public:
    using ResultsCallback = std::function<void(const pf::Value&)>;

    // A new or reused controller for the screen `url` addresses below
    // `basePath`, or null when the configuration has none.
    virtual std::shared_ptr<IKRUIViewController> getViewController(const pf::URL& url, const std::string& basePath) = 0;
    virtual pf::Value focusValueForKey(const std::string& key) const = 0;
    // A nil value removes the key.
    virtual void setFocusValue(const pf::Value& value, const std::string& key) = 0;
    virtual std::shared_ptr<IKRUIViewController> rootViewController() = 0;
    // Calls the waiting callback once with `data`, then forgets it.
    virtual void setResultsData(const pf::Value& data) = 0;
    // Replaces any waiting callback.
    virtual void waitResultsData(ResultsCallback callback) = 0;
};
