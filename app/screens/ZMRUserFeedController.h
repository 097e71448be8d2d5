#pragma once

// The posts table of the user details screen: rows are feed row documents
// (ZMRFeedDocumentController's filler), and the header cells (the profile)
// count even while the list is empty, so the profile shows above a user
// without posts. A row's element "bg", when its template has one, is
// "#f8ece5" for an entry at an even index of the source's list and
// "#f7e3db" at an odd one; the index is the entry's own position (found by
// identity), so equal entries alternate like any others.
//
// The context and the delegate are not owned. Main queue only.

#include "framework/data/KRDocumentDataController.h"

class ZMRUserFeedController : public KRDocumentDataController {
public:
    int tableViewNumberOfRowsInSection(pf::TableView& table, int section) override;
    void documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row) override;
};
