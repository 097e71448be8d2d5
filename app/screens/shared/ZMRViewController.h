#pragma once

// The base of every application screen: a URL-addressed screen (see
// KRViewController.h) with what all of them share: a tab bar whose items
// open URLs relative to the screen, the publish fly-out menu, closed at once
// whenever the screen goes away, and a log line at each step of its life
// ("<Class> viewWillAppear", … "<Class> dealloc"). Both outlets may be
// absent; calls on a missing one do nothing.
//
// A tab item acts when it is an IKRAction named "url" whose user
// information is a text: openRelativeUrl opens it without animation. A tap
// never changes `selectedTabItem`: each appearance selects it again.
//
// Back (goBack) closes the open publish menu first, as the phone's back
// closes a fly-out, and only then leaves the screen; while the screen sends
// a form (isSending) it does nothing and answers false, so the form stays to
// tell the answer.
//
// Main queue only.

#include "framework/ui/KRViewController.h"
#include "platform/controls/TabBar.h"

class ZMRPublishView;

class ZMRViewController : public KRViewController, public pf::TabBarDelegate {
public:
    ZMRViewController() = default;
    ~ZMRViewController() override;

    const std::shared_ptr<ZMRPublishView>& publishView() const { return m_publishView; }
    void setPublishView(std::shared_ptr<ZMRPublishView> view) { m_publishView = std::move(view); }
    // The screen becomes the bar's delegate.
    const std::shared_ptr<pf::TabBar>& tabBar() const { return m_tabBar; }
    void setTabBar(std::shared_ptr<pf::TabBar> tabBar);
    // The item that stands for this screen.
    const std::shared_ptr<pf::TabBarItem>& selectedTabItem() const { return m_selectedTabItem; }
    void setSelectedTabItem(std::shared_ptr<pf::TabBarItem> item) { m_selectedTabItem = std::move(item); }

    void tabBarDidSelectItem(pf::TabBar& tabBar, pf::TabBarItem& item) override;

    // The forms' alert: the message alone with one "确定" button.
    static void showAlert(const std::string& message);
    bool goBack(bool animated) override;
    // A form of the screen is on its way: by default, a companion that is an
    // IZMRSendingForm says so; a screen that sends its own form overrides it.
    virtual bool isSending() const;

    void initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle) override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;

protected:
    // The registered class name of the screen, recorded while the object is
    // whole: a destructor sees only the base.
    const std::string& screenClassName();
    // Hands `task` to the context with this screen as its source and
    // delegate; false, with a log line, when there is no context or no
    // service takes it (so no answer will come to give the form back).
    bool sendFormTask(const pf::Protocol* taskType, const std::shared_ptr<KRUplinkTask>& task);

private:
    void logStep(const char* step);

    std::shared_ptr<ZMRPublishView> m_publishView;
    std::shared_ptr<pf::TabBar> m_tabBar;
    std::shared_ptr<pf::TabBarItem> m_selectedTabItem;
    std::string m_className;
};
