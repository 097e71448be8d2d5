#pragma once

// The URL-routed navigation stack: the part of a URL's path below this
// controller's own path is its stack, one controller per component, bottom
// first. Loading a URL keeps the controllers from the bottom whose aliases
// still match (each loads the URL again; the one the URL opens only when
// its query is the one it was opened with), makes the rest through the shell
// and sets the stack, animating a push or a pop as the top changes. A level
// whose alias has no entry ends the stack there. Controllers that leave the
// stack, whichever way (a back-button pop included), lose their parent link.
//
// Default scheme "nav". Configuration keys: "navbar-hidden",
// "toolbar-hidden", "title", "navbar-bg" (a bundle image for a bar that
// draws one), "edgesForExtendedLayout". Rotation answers are the top
// controller's. Styles, layouts and data outlets are not applied here.
//
// Main queue only.

#include "framework/ui/KRRoutedController.h"
#include "platform/controls/NavigationController.h"

class KRNavigationController : public pf::NavigationController, public KRRoutedController, public IKRNibLoadable {
public:
    KRNavigationController() = default;
    ~KRNavigationController() override;

    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override;
    void setConfig(pf::DictionaryRef config) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    // Rebuilds the stack and answers the path reached below its top.
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override;
    std::shared_ptr<IKRUIViewController> topController() override;

    void viewDidLoad() override;
    void viewDidUnload() override;

protected:
    pf::ViewController& platformController() override { return *this; }
    std::string defaultScheme() const override { return "nav"; }
    void didRemoveViewControllers(const std::vector<pf::ViewControllerRef>& removed) override;

private:
    void applyBarImage();
    std::shared_ptr<pf::Bundle> m_nibBundle;
};
