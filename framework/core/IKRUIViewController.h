#pragma once

// What the shell needs of URL-addressed screen controllers; the controllers
// themselves live in the UI kit.
//
// The shell gives each controller it creates, in this order: its context,
// alias, base path, scheme, URL and configuration entry; a reused controller
// only gets a new base path and URL. isDisplaced() answers whether the
// controller may be reused or dropped (no parent, view not loaded or not in a
// window's tree).

#include "framework/core/Forward.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

class IKRUIViewController {
public:
    virtual ~IKRUIViewController() = default;

    virtual void setContext(std::weak_ptr<IKRUIContext> context) = 0;
    virtual const std::string& alias() const = 0;
    virtual void setAlias(const std::string& alias) = 0;
    virtual void setBasePath(const std::string& basePath) = 0;
    virtual void setScheme(const pf::Value& scheme) = 0;
    virtual void setUrl(const pf::URL& url) = 0;
    virtual void setConfig(pf::DictionaryRef config) = 0;
    virtual bool isDisplaced() const = 0;

    // Loads the screen for `url` below `basePath`; a leaf answers the base
    // path with its alias appended.
    virtual std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) = 0;
    // Navigates to the screen the URL addresses.
    virtual void openUrl(const pf::URL& url, bool animated) = 0;
};

// A platform view controller that loads an interface file: the shell hands it
// the entry's "view" (nothing when the entry names none) and the bundle right
// after creating it, before anything else is set.
class IKRNibLoadable {
public:
    virtual ~IKRNibLoadable() = default;
    virtual void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) = 0;
};
