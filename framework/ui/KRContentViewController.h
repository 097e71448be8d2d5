#pragma once

// A container that shows one child screen, chosen by the next component of
// the URL below its own path, inside its content view (its own view when
// the outlet is empty). Loading a URL that ends at its own path leaves the
// child as it is; a different alias replaces it (an alias without an entry
// removes it), and so does the same alias when the URL opens the child with
// other query values than it was opened with; otherwise the same alias
// forwards the load to the child.
//
// Default scheme "content"; config "scheme" overrides it. The child is
// installed whenever this controller's view is loaded, and told of its
// appearance while the view is shown.
//
// Main queue only.

#include "framework/ui/KRViewController.h"

class KRContentViewController : public KRViewController {
public:
    ~KRContentViewController() override;

    const pf::ViewRef& contentView() const { return m_contentView; }
    void setContentView(pf::ViewRef view) { m_contentView = std::move(view); }
    const std::shared_ptr<IKRUIViewController>& contentViewController() const { return m_child; }
    // The old child's view leaves, it loses its parent; the new one gets this
    // controller as parent and its view is installed when this view is loaded.
    void setContentViewController(std::shared_ptr<IKRUIViewController> controller);
    // Replaces the child when the alias below this controller's path in
    // `url` differs from the child's; the new child is not loaded.
    void reloadURL();

    void setConfig(pf::DictionaryRef config) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override;
    std::shared_ptr<IKRUIViewController> topController() override;
    void viewDidLoad() override;
    void viewDidUnload() override;

protected:
    std::string defaultScheme() const override { return "content"; }

private:
    void installChild();

    pf::ViewRef m_contentView;
    std::shared_ptr<IKRUIViewController> m_child;
};
