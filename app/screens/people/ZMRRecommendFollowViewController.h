#pragma once

// The people a newly signed-up user may want to follow ("RecommendFollow",
// opened below the sign-up screen): its list, whose source and rows come
// from the interface file, loads when the view loads.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRTableDataController.h"

class ZMRRecommendFollowViewController : public ZMRViewController {
public:
    const std::shared_ptr<KRTableDataController>& dataController() const { return m_dataController; }
    void setDataController(std::shared_ptr<KRTableDataController> controller)
    {
        m_dataController = std::move(controller);
    }

    void viewDidLoad() override
    {
        ZMRViewController::viewDidLoad();
        if (m_dataController)
            m_dataController->reloadData();
    }

private:
    std::shared_ptr<KRTableDataController> m_dataController;
};
