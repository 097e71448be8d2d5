#pragma once

// A stand-in that only loads an interface file: a "ui" entry may name it as
// its class and the file as its "view"; the shell loads the view once and
// uses the controller the file connects to the "viewController" outlet in
// its place (and logs a file that connects none, or no screen controller).
//
// Main queue only.

#include "framework/core/IKRUIViewController.h"
#include "platform/ui/ViewController.h"

class KRCreatorViewController : public pf::ViewController, public IKRNibLoadable {
public:
    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override
    {
        m_bundle = bundle;
        setNib(nibName.value_or(""), bundle.get());
    }
    const pf::ObjectRef& viewController() const { return m_viewController; }
    // The outlet once the interface file is loaded: the shell reads it by
    // key, which would otherwise find the view never loaded.
    pf::ObjectRef loadedViewController()
    {
        view();
        return m_viewController;
    }
    void setViewController(pf::ObjectRef controller) { m_viewController = std::move(controller); }

private:
    std::shared_ptr<pf::Bundle> m_bundle;
    pf::ObjectRef m_viewController;
};
