#pragma once

// What every URL-addressed screen controller offers, whether it is a plain
// screen or a container of other screens; the controllers themselves live
// in the UI kit.
//
// A URL's path is a chain of aliases, one per controller level:
// "root:///root/home/detail" addresses "detail" inside "home" inside "root".
// A controller's base path is the path of the level above it ("/" at the
// top); its own path is the base path with its alias appended. A URL opened
// anywhere travels up the parent links until a controller handles it: the
// container whose scheme equals the URL's scheme reloads its part of the
// tree from its own base path.
//
// The shell gives each controller it creates, in this order: its context,
// alias, base path, scheme, URL and configuration entry; a reused controller
// only gets a new base path and URL. The creator then sets the parent and
// sends loadUrl. Parent links and the context are weak: a parent owns its
// children, never the reverse, and a child's link is cleared when it leaves.
//
// Main queue only.

#include "framework/core/Forward.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

class IKRUIViewController {
public:
    virtual ~IKRUIViewController() = default;

    // Whether this controller or one above it answers the URL's scheme.
    virtual bool canOpenUrl(const pf::URL& url) = 0;
    // Navigates to the screen the URL addresses; false when no controller
    // up the parent chain handled it (nothing changed then).
    virtual bool openUrl(const pf::URL& url, bool animated) = 0;
    // Loads the screens for `url` below `basePath` and answers the path that
    // is consumed: a leaf answers the base path with its alias appended, a
    // container the path below its own children.
    virtual std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) = 0;

    virtual std::shared_ptr<IKRUIContext> context() const = 0;
    virtual void setContext(std::weak_ptr<IKRUIContext> context) = 0;
    virtual std::shared_ptr<IKRUIViewController> parentController() const = 0;
    // Held weakly; null clears it.
    virtual void setParentController(const std::shared_ptr<IKRUIViewController>& parent) = 0;
    // The controller the user sees: a leaf answers itself, a container its
    // shown child's top controller (null when it shows none).
    virtual std::shared_ptr<IKRUIViewController> topController() = 0;
    // No parent, and the view not loaded or in no view tree: the shell may
    // reuse or drop a cached controller then.
    virtual bool isDisplaced() const = 0;

    virtual const pf::DictionaryRef& config() const = 0;
    virtual void setConfig(pf::DictionaryRef config) = 0;
    virtual const std::string& alias() const = 0;
    virtual void setAlias(const std::string& alias) = 0;
    virtual const std::string& basePath() const = 0;
    virtual void setBasePath(const std::string& basePath) = 0;
    // The URL the controller was made (or last reused) for; its query is the
    // screen's. Relative links resolve against the screen's place in the root
    // stack built from it (KRRoutedController::stackURL).
    virtual const std::optional<pf::URL>& url() const = 0;
    virtual void setUrl(const pf::URL& url) = 0;
    // The scheme answered as a container; empty when unset (leaf screens,
    // or containers using their default scheme).
    virtual const std::string& scheme() const = 0;
    // A string sets it; anything else clears it.
    virtual void setScheme(const pf::Value& scheme) = 0;
};

// Companions of a screen (the objects of its "controllers" outlet) take part
// through whichever of these they implement; IKRController (KRController.h)
// carries the context and the delegate.
class IKRParentControllerHolder {
public:
    virtual ~IKRParentControllerHolder() = default;
    // Held weakly; null clears it.
    virtual void setParentController(const std::shared_ptr<IKRUIViewController>& parent) = 0;
};

class IKRCancellable {
public:
    virtual ~IKRCancellable() = default;
    // Stops whatever the object has under way; its callbacks stop too.
    virtual void cancel() = 0;
};

// A platform view controller that loads an interface file: the shell hands it
// the entry's "view" (nothing when the entry names none) and the bundle right
// after creating it, before anything else is set.
class IKRNibLoadable {
public:
    virtual ~IKRNibLoadable() = default;
    virtual void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) = 0;
};
