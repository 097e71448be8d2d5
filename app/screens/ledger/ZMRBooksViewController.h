#pragma once

// The month ledger screen ("Books"): its table controller, a
// ZMRBooksController of the interface file (handed the context through the
// `controllers` collection), loads the current month once the view has
// loaded; the controller's buttons step through the months. The screen is
// the controller's delegate and answers none of its calls.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRDataControllerDelegate.h"

class ZMRBooksController;

class ZMRBooksViewController : public ZMRViewController, public KRDataControllerDelegate {
public:
    const std::shared_ptr<ZMRBooksController>& booksController() const { return m_booksController; }
    void setBooksController(std::shared_ptr<ZMRBooksController> controller) { m_booksController = std::move(controller); }

    void viewDidLoad() override;

private:
    std::shared_ptr<ZMRBooksController> m_booksController;
};
