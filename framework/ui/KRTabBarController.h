#pragma once

// The URL-routed tab bar container: config "items" gives one tab per
// element with a "url" that yields a controller (through the shell, base
// path "/"), in array order; an element's "title" and "image" (a bundle
// image) dress the tab's bar item. A URL of its scheme selects the first
// tab whose alias is the URL's first path component (the selected tab stays
// when none is) and loads the URL into the selected tab from "/". "present"
// URLs are handled here; "pop" URLs and other schemes go to the parent,
// though canOpenUrl answers only for the own scheme.
//
// Default scheme "tab". Tabs replaced by a new configuration lose their
// parent link. Rotation answers are the selected tab's. Companion
// controllers lose their context as well as their delegate and parent when
// the view unloads or the controller goes.
//
// Main queue only.

#include "framework/ui/IKRUrlReceiver.h"
#include "framework/ui/KRRoutedController.h"
#include "platform/controls/TabBarController.h"

class KRTabBarController : public pf::TabBarController, public KRRoutedController, public IKRNibLoadable,
                           public IKRUrlReceiver {
public:
    KRTabBarController() = default;
    ~KRTabBarController() override;

    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override;
    void setConfig(pf::DictionaryRef config) override;
    bool canOpenUrl(const pf::URL& url) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    // Loads nothing; answers this controller's own path.
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override;
    // Handed to the selected tab when it takes URLs; otherwise dropped.
    void receiveUrl(const pf::URL& url, const pf::ObjectRef& source) override;
    // The selected tab's top controller.
    std::shared_ptr<IKRUIViewController> topController() override;

    void viewDidLoad() override;
    void viewDidUnload() override;

protected:
    pf::ViewController& platformController() override { return *this; }
    std::string defaultScheme() const override { return "tab"; }
    void didRemoveViewControllers(const std::vector<pf::ViewControllerRef>& removed) override;

private:
    std::shared_ptr<pf::Bundle> m_nibBundle;
};
