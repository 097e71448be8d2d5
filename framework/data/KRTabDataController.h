#pragma once

// Switches between several contents with a row of tab buttons: one
// controller, one button and one content view per tab. Selecting a tab
// disables its button (the selected look), enables the others, shows its
// content view and hides the others, then tells the delegate. The first
// selection is index 0 with nothing updated: the interface file's initial
// look stands until another tab is chosen. Each tab's controller gets the
// context.
//
// Main queue only. The delegate is not retained.

#include "framework/data/KRDataController.h"
#include "framework/data/KRDataControllerDelegate.h"

#include "platform/ui/Forward.h"

#include <vector>

class KRTabDataController;

namespace pf {
class Control;
}

class KRTabDataControllerDelegate : public virtual KRDataControllerDelegate {
public:
    virtual void krTabDataControllerDidSelectedChanged(KRTabDataController&, unsigned /*index*/) {}
};

class KRTabDataController : public KRDataController {
public:
    unsigned selectedIndex() const { return m_selectedIndex; }
    // The same index again does nothing.
    virtual void setSelectedIndex(unsigned index);

    pf::ArrayRef controllers() const;
    void setControllers(pf::ArrayRef controllers);
    pf::ArrayRef tabButtons() const;
    void setTabButtons(pf::ArrayRef buttons);
    pf::ArrayRef contentViews() const;
    void setContentViews(pf::ArrayRef views);

    // The element at selectedIndex, null when the index is past the list.
    pf::ObjectRef selectedController() const;
    std::shared_ptr<pf::Control> selectedTabButton() const;
    pf::ViewRef selectedContentView() const;

    // The target of the tab buttons; a sender that is no tab button is ignored.
    void doTabAction(const pf::ObjectRef& sender);
    void setContext(std::weak_ptr<IKRUIContext> context) override;

protected:
    void storeSelectedIndex(unsigned index) { m_selectedIndex = index; }
    void enableButtonsExcept(unsigned index);
    void tellSelectedChanged();
    const std::vector<pf::ObjectRef>& controllerList() const { return m_controllers; }
    const std::vector<std::shared_ptr<pf::Control>>& buttonList() const { return m_tabButtons; }
    const std::vector<pf::ViewRef>& contentViewList() const { return m_contentViews; }

private:
    unsigned m_selectedIndex = 0;
    std::vector<pf::ObjectRef> m_controllers;
    std::vector<std::shared_ptr<pf::Control>> m_tabButtons;
    std::vector<pf::ViewRef> m_contentViews;
};
