#pragma once

// A URL-routed tab container drawn by the screen itself: its interface file
// supplies a strip of buttons ("tabButtons", one per tab, in order) and a
// "contentView"; config "items" gives one child per element with a usable
// "url", as for the tab bar controller. The selected child's view fills the
// content view. Tapping a button (doTabAction) selects its tab; tapping the
// selected one again takes a navigation child back to its root.
//
// The selected child appears and disappears with this screen. Changing the
// selection while the screen is shown makes the old child disappear and the
// new one appear; while it is not, the views only change places.
//
// Default scheme "tab": a URL of it selects the first child whose alias is
// its first path component (the selection stays when none is) and loads the
// URL into the selected child from "/". Children that leave (a new
// configuration, or this controller going) lose their parent link.
//
// Main queue only.

#include "framework/ui/KRViewController.h"

class KRTabViewController : public KRViewController {
public:
    static constexpr unsigned NotFound = unsigned(-1);

    KRTabViewController() = default;
    ~KRTabViewController() override;

    const pf::ViewRef& contentView() const { return m_contentView; }
    void setContentView(pf::ViewRef view) { m_contentView = std::move(view); }
    const pf::ViewRef& tabView() const { return m_tabView; }
    void setTabView(pf::ViewRef view) { m_tabView = std::move(view); }
    const pf::ArrayRef& tabButtons() const { return m_tabButtons; }
    void setTabButtons(pf::ArrayRef buttons) { m_tabButtons = std::move(buttons); }
    const std::vector<pf::ViewControllerRef>& viewControllers() const { return m_tabs; }
    void setViewControllers(std::vector<pf::ViewControllerRef> controllers);
    // Null without children; a selected index past the last child is reset to 0 first.
    pf::ViewControllerRef selectedViewController();
    unsigned selectedIndex() const { return m_selectedIndex; }
    // An index past the last child selects the first.
    void setSelectedIndex(unsigned index);
    // The button at the selected index, when there is one.
    pf::ObjectRef selectedTabButton() const;
    void doTabAction(const pf::ObjectRef& sender);

    void setConfig(pf::DictionaryRef config) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    std::shared_ptr<IKRUIViewController> topController() override;

    void viewDidLoad() override;
    void viewDidUnload() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

protected:
    std::string defaultScheme() const override { return "tab"; }

private:
    void installSelected();
    void updateButtons();

    pf::ViewRef m_contentView;
    pf::ViewRef m_tabView;
    pf::ArrayRef m_tabButtons;
    std::vector<pf::ViewControllerRef> m_tabs;
    unsigned m_selectedIndex = 0;
};
