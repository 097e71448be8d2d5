#pragma once

// The list controller of the feed lists: every row is the entry's document
// from the row template, filled by ZMRFeedDocumentController's shared
// filler. Any action in a row first stores the row's entry as the context's
// focus value "feed"; a "like" then toggles the entry's like
// (ZMRFeedLikeTask.h) and redraws the row's like part at once; then the
// delegate hears of the action as from any document list. A refused toggle
// redraws the entry's kept document, wherever its row went.
//
// The context and the delegate are not owned. Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/data/KRDocumentDataController.h"

class ZMRFeedController : public KRDocumentDataController, public IKRUplinkTaskDelegate {
public:
    void documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row) override;
    void krDOMViewDoActionElement(KRDOMView& view, KRDOMElement& element) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    // The row whose cell holds `view`, when it is a data row on show.
    std::optional<pf::IndexPath> indexPathOfView(const pf::View& view) const;
};
