#pragma once

// The people a newly signed-up user may want to follow ("RecommendFollow",
// opened below the sign-up screen): its list, whose source and rows come
// from the interface file, loads when the view loads.
//
// The screen has no back control: the sign-up is done and the form below
// it must not show again, so going back does what its "完成" button
// (doneButton) does, and without that button nothing.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRTableDataController.h"
#include "platform/controls/Button.h"

class ZMRRecommendFollowViewController : public ZMRViewController {
public:
    const std::shared_ptr<KRTableDataController>& dataController() const { return m_dataController; }
    void setDataController(std::shared_ptr<KRTableDataController> controller)
    {
        m_dataController = std::move(controller);
    }
    const std::shared_ptr<pf::Button>& doneButton() const { return m_doneButton; }
    void setDoneButton(std::shared_ptr<pf::Button> button) { m_doneButton = std::move(button); }

    void viewDidLoad() override
    {
        ZMRViewController::viewDidLoad();
        if (m_dataController)
            m_dataController->reloadData();
    }
    bool goBack(bool) override
    {
        if (!m_doneButton)
            return false;
        auto keep = weak_from_this().lock(); // going on releases this screen
        doAction(m_doneButton);
        return true;
    }

private:
    std::shared_ptr<KRTableDataController> m_dataController;
    std::shared_ptr<pf::Button> m_doneButton;
};
