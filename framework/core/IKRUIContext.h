#pragma once

// The screen side of the context: the screen-controller factory, focus
// values, the root controller, the one-shot results hand-back and the two
// application-wide style sheets.
// Main queue only.

#include "framework/core/Forward.h"
#include "framework/core/IKRService.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <string_view>

class KRDOMStyleSheet;
class KRStyleController;
class KRStyleSheet;

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

    // The named-style sheet of the UI kit, made on first use.
    virtual std::shared_ptr<KRStyleSheet> styleSheet() = 0;
    virtual std::shared_ptr<KRStyleController> styleController() = 0;
    virtual void setStyleController(std::shared_ptr<KRStyleController> controller) = 0;
    // The markup style sheet every document is styled with, made empty on
    // first use.
    virtual std::shared_ptr<KRDOMStyleSheet> domStyleSheet() = 0;
    // Adds the rules of a style-sheet text to domStyleSheet() and raises
    // its version, so documents restyle.
    virtual void loadDOMStyleSheet(std::string_view text) = 0;
};
