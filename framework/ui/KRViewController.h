#pragma once

// The base screen controller of the UI kit: a platform view controller that
// is addressed by URL (see KRRoutedController.h) and built from its
// configuration entry.
//
// When its view loads it wires, in this order: the edges of config
// "edgesForExtendedLayout", its companions (context and parent), the shell's
// style sheet for the style container, the layout container, then the data
// outlets with this controller as data object. When the view unloads, and
// when the controller goes, every task whose source it is is withdrawn and
// the companions let go of it.
//
// Actions (doAction, connected by interface files): "url" with "." goes
// back (goBack); with any other text it opens the text through
// openRelativeUrl, animated; "openUrl" hands an http or https URL to the platform, refusing
// any other scheme with a log line; "popclose" and "popclosed" close the
// topmost pop window with and without animation.
//
// Main queue only.

#include "framework/ui/KRRoutedController.h"
#include "framework/ui/KRViewImageTaskSource.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <string_view>

class KRViewController : public pf::ViewController,
                         public KRRoutedController,
                         public IKRNibLoadable,
                         public KRViewImageTaskSource {
public:
    KRViewController() = default;
    ~KRViewController() override;

    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override;
    // A different entry applies "title" and "hidesBottomBarWhenPushed";
    // the same one again applies nothing.
    void setConfig(pf::DictionaryRef config) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    // Loads nothing; answers this controller's own path.
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override;
    std::shared_ptr<IKRUIViewController> topController() override;

    virtual void doAction(const pf::ObjectRef& sender);

    // Back where the screen came from: "." from its place in the root stack
    // (backURL), which keeps the screen below with its query and state; a
    // screen placed directly in the root stays as it is. The back control
    // ("url" with "."), the phone's back (KRGoBack) and a form done with its
    // work all come here, so a screen that has a back of its own (closing a
    // menu first, refusing while it sends) overrides it. True when something
    // went back or closed.
    virtual bool goBack(bool animated);
    // Opens `text`, escaped where it may not stand in a URL and resolved
    // against the screen's place in the root stack (stackURL), with
    // `queryValues` (a dictionary or an object, see URLWithString) added when
    // not nil. False, with a log line, when the text makes no URL, or when
    // nothing opened it.
    bool openRelativeUrl(std::string_view text, const pf::Value& queryValues, bool animated);

    void viewDidLoad() override;
    void viewDidUnload() override;
    void viewDidLayoutSubviews() override;
    // From config "orientations" (numbers 1 to 4); portrait without it.
    bool shouldAutorotateToInterfaceOrientation(int orientation) const override;
    unsigned supportedInterfaceOrientations() const override;

    // Image tasks of the views inside `view`, this controller their source:
    // see KRViewImageTaskSource.

    // Where "openUrl" actions go once checked; the platform's opener by
    // default (none until the application installs one).
    using ExternalOpener = std::function<bool(const pf::URL&)>;
    static void setExternalOpener(ExternalOpener opener);

protected:
    // A container's setConfig: the base's, then, for a different entry that
    // is not null, config "scheme"; true in that case.
    bool applyContainerConfig(const pf::DictionaryRef& config);

    pf::ViewController& platformController() override { return *this; }
    std::shared_ptr<IKRUIContext> imageTaskContext() const override { return context(); }
    pf::ObjectRef imageTaskSource() override { return weak_from_this().lock(); }

private:
    std::shared_ptr<pf::Bundle> m_nibBundle;
};
