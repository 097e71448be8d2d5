#pragma once

// The posts table of the user details screen: rows are feed row documents
// (ZMRFeedDocumentController's filler), and the header cells (the profile)
// count even while the list is empty, so the profile shows above a user
// without posts. Rows are tinted like the comment rows (ZMRRowTint.h), so
// equal entries alternate like any others.
//
// The context and the delegate are not owned. Main queue only.

#include "framework/data/KRDocumentDataController.h"

class ZMRUserFeedController : public KRDocumentDataController {
public:
    int tableViewNumberOfRowsInSection(pf::TableView& table, int section) override;
    void documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row) override;
};
