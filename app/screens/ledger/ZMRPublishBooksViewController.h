#pragma once

// The ledger entry screen ("PublishBooks"): it hosts a ZMRBooksEditController
// (an object of its interface file, handed the context through the
// `controllers` collection) and is that form's delegate. A refused entry
// shows the server's message; a stored one shows "保存成功" for 1.2 s and
// goes back, opening "." resolved against the screen's URL, animated.
//
// Main queue only.

#include "app/screens/ledger/ZMRBooksEditController.h"
#include "app/screens/shared/ZMRViewController.h"

class ZMRPublishBooksViewController : public ZMRViewController, public ZMRBooksEditControllerDelegate {
public:
    void booksEditControllerDidFailWithError(ZMRBooksEditController& form, const pf::Error& error) override;
    void booksEditControllerDidSuccessResults(ZMRBooksEditController& form, const pf::Value& results) override;
};
