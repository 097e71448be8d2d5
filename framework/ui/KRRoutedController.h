#pragma once

// The state and the shared routing of every URL-addressed controller of the
// UI kit, whatever platform controller it derives from: the properties of
// IKRUIViewController, the interface-file outlets, the "pop" and "present"
// URLs, the companions' wiring and the edges read from the configuration.
//
// "pop" opens the screen its first path component names in a new pop window
// over the key window. "present" with an empty host presents the screen
// modally from this controller; with a host equal to the controller's
// answered scheme, from the last controller of its modal chain; with an
// empty path it dismisses this controller when it was itself presented.
// Everything else goes to the parent.
//
// A container (a class with a default scheme) answers canOpenUrl for its
// answered scheme itself and asks the parent for any other; a leaf screen
// only asks the parent, whatever scheme it was configured with.
//
// Main queue only. The context and the parent are weak.

#include "framework/core/IKRUIViewController.h"
#include "platform/foundation/Collections.h"

#include <functional>
#include <vector>

namespace pf {
class ViewController;
}
class KRDataOutletContainer;
class KRLayoutContainer;

class KRRoutedController : public IKRUIViewController {
public:
    bool canOpenUrl(const pf::URL& url) override;
    std::shared_ptr<IKRUIContext> context() const override { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRUIContext> context) override { m_context = std::move(context); }
    std::shared_ptr<IKRUIViewController> parentController() const override { return m_parent.lock(); }
    void setParentController(const std::shared_ptr<IKRUIViewController>& parent) override { m_parent = parent; }
    bool isDisplaced() const override;
    const pf::DictionaryRef& config() const override { return m_config; }
    const std::string& alias() const override { return m_alias; }
    void setAlias(const std::string& alias) override { m_alias = alias; }
    const std::string& basePath() const override { return m_basePath; }
    void setBasePath(const std::string& basePath) override { m_basePath = basePath; }
    const std::optional<pf::URL>& url() const override { return m_url; }
    void setUrl(const pf::URL& url) override { m_url = url; }
    // The address of this screen's place in the root stack, which its
    // relative links and its back resolve against. With the root's scheme:
    // `url`'s scheme and host over this controller's own path, with `url`'s
    // query when `url` ends there (a screen made on the way to a deeper one
    // holds the deeper URL, whose query is not its own). With another
    // scheme: the root's scheme over the aliases from the root down to this
    // controller, with `url`'s query. A screen the drawer opened through its
    // own scheme ("fold:///center/home") would otherwise resolve
    // "home/publish-books" inside the drawer's one-child centre, which
    // cannot push it, and the link would open nothing. `url` itself without
    // a root above or a base path.
    std::optional<pf::URL> stackURL() const;
    // Where going back leads: "." from stackURL. None when that would leave
    // the root's stack empty (a screen placed directly in the root): an
    // empty root is a blank window that no back, tap or menu can leave, so
    // the back at the top does nothing instead.
    std::optional<pf::URL> backURL() const;
    const std::string& scheme() const override { return m_scheme; }
    void setScheme(const pf::Value& scheme) override { m_scheme = scheme.isString() ? scheme.stringOr() : std::string(); }
    // The scheme this controller loads as a container: `scheme`, else the
    // class default (empty for leaf screens).
    std::string answeredScheme() const { return m_scheme.empty() ? defaultScheme() : m_scheme; }
    // This controller's own path: the base path with the alias appended.
    std::string path() const { return pathBelow(m_basePath, m_alias); }
    static std::string pathBelow(const std::string& basePath, const std::string& alias);

    // Interface-file outlets. The style container receives the shell's
    // style sheet when it can (IKRStyleSheetHolder).
    const pf::ObjectRef& styleContainer() const { return m_styleContainer; }
    void setStyleContainer(pf::ObjectRef container) { m_styleContainer = std::move(container); }
    const std::shared_ptr<KRDataOutletContainer>& dataOutletContainer() const { return m_dataOutletContainer; }
    void setDataOutletContainer(std::shared_ptr<KRDataOutletContainer> container);
    const std::shared_ptr<KRLayoutContainer>& layoutContainer() const { return m_layoutContainer; }
    void setLayoutContainer(std::shared_ptr<KRLayoutContainer> container);
    // Companion controllers of the view.
    const pf::ArrayRef& controllers() const { return m_controllers; }
    void setControllers(pf::ArrayRef controllers) { m_controllers = std::move(controllers); }

protected:
    // A stack of routed controllers and the path reached below its top.
    struct Stack {
        std::vector<std::shared_ptr<pf::ViewController>> controllers;
        std::string path;
    };

    virtual pf::ViewController& platformController() = 0;
    virtual std::string defaultScheme() const { return {}; }
    // True for a container and a URL of its answered scheme.
    bool ownsScheme(const pf::URL& url) const;
    // A container's openUrl: a URL of its answered scheme goes to `loadOwn`
    // and is answered true; any other gets openOtherUrl.
    bool openContainerUrl(const pf::URL& url, bool animated, const std::function<void()>& loadOwn);
    // "pop" and "present", else the parent's answer.
    bool openOtherUrl(const pf::URL& url, bool animated);
    // Config "scheme", when present, becomes the scheme.
    void applyConfigScheme();
    std::shared_ptr<IKRUIViewController> selfController();
    // Stores a configuration that differs from the current one; false for the same one.
    bool storeConfig(const pf::DictionaryRef& config);
    // "pop" and "present"; true when handled.
    bool openWindowedUrl(const pf::URL& url, bool animated);
    bool openInParent(const pf::URL& url, bool animated);
    // Config "edgesForExtendedLayout", when present.
    void applyEdgesForExtendedLayout();
    // Each companion gets the context and this controller as parent.
    void attachCompanions();
    // Each companion is cancelled (when asked) and loses its delegate and parent.
    void detachCompanions(bool cancel);
    // Whether `child`, standing at the level `component` names below
    // `basePath`, stays for `url`: its alias is the component, unless `url`
    // ends at that level with query values of its own and the child was
    // opened for that same path with other ones (or none). A screen reads
    // its query when it loads, so another query needs another screen; the
    // same URL again keeps the open one; a URL without a query (a back, a
    // tab item) keeps the screen with its query and state (scroll position,
    // loaded list); a level the URL only passes through keeps its screen
    // whatever the query.
    static bool childStays(const IKRUIViewController& child, const std::string& component, const pf::URL& url,
                           const std::string& basePath);
    // The stack the part of `url` below `basePath` and the alias names, one
    // controller per component: the leading controllers of `current` that
    // stay (childStays) load the URL again, the rest are made through
    // the context with this controller as parent, until a component has no
    // entry. Controllers of `current` that do not stay lose their parent link.
    Stack stackForUrl(const pf::URL& url, const std::string& basePath, bool animated,
                      std::vector<std::shared_ptr<pf::ViewController>> current);
    // Controllers that left this one lose their parent link while it is still this one.
    void releaseRemoved(const std::vector<std::shared_ptr<pf::ViewController>>& removed);
    // The routed side of a platform controller; null for a plain one.
    static std::shared_ptr<IKRUIViewController> routed(const std::shared_ptr<pf::ViewController>& controller);

private:
    bool openPresentUrl(const pf::URL& url, bool animated);
    // The screen the context makes for `url` from "/", when it is a routed
    // platform controller; null otherwise.
    std::shared_ptr<pf::ViewController> topLevelScreen(const pf::URL& url);

    std::weak_ptr<IKRUIContext> m_context;
    std::weak_ptr<IKRUIViewController> m_parent;
    pf::DictionaryRef m_config;
    std::string m_alias;
    std::optional<pf::URL> m_url;
    pf::ObjectRef m_styleContainer;
    std::shared_ptr<KRDataOutletContainer> m_dataOutletContainer;
    std::string m_basePath;
    std::shared_ptr<KRLayoutContainer> m_layoutContainer;
    std::string m_scheme;
    pf::ArrayRef m_controllers;
};
