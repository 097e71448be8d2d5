#pragma once

// One feed entry in full ("FeedDetails"): the entry's document, with the
// strip of people who liked it, is the head of a table whose rows are the
// entry's comments. The entry is the context's focus value "feed" (shared
// with the list it came from, so counts changed here show there too); the
// URL's query "pid" names it for the like strip and the comments. An entry
// without display fields (a comment's post) gets them here. Without an
// entry the head is empty (0 points) and the comments still load.
//
// The head cell is as high as the document less 20 points (never below 0),
// and follows it when the like strip changes.
//
// The comment button opens "pop:///publish-comment" with the screen's
// query; when the composer hands back YES the head's comment count rises by
// one and the comments load again. The waiting callback holds the screen
// weakly: a screen gone by then is left alone. Row actions: "reply" opens
// the composer for a reply ("cid" and the title "回复: " and the nick),
// waiting for it in the same way, since a reply is listed and counted as a
// comment; "user", on a row or on the head, opens
// "feed-details/user-details" with "uid" and "nick". Attribute texts are
// decoded before use, since markup keeps entities in attributes.
//
// A failed load of no comments shows its text under the head
// (ZMRListFailure.h); comments already shown stay without a notice.
//
// Main queue only.

#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRDocumentDataController.h"

class IKRUIContext;
class KRTableViewCell;
class ZMRCommentListController;

class ZMRFeedDetailsViewController : public ZMRViewController,
                                     public KRDocumentDataControllerDelegate,
                                     public ZMRFeedDocumentControllerDelegate {
public:
    // The head cell's height for a document of `contentHeight`.
    static double headHeight(double contentHeight);

    const std::shared_ptr<ZMRCommentListController>& commentListController() const { return m_commentListController; }
    void setCommentListController(std::shared_ptr<ZMRCommentListController> controller)
    {
        m_commentListController = std::move(controller);
    }
    const std::shared_ptr<ZMRFeedDocumentController>& documentController() const { return m_documentController; }
    void setDocumentController(std::shared_ptr<ZMRFeedDocumentController> controller)
    {
        m_documentController = std::move(controller);
    }
    const std::shared_ptr<KRTableViewCell>& detailsTableViewCell() const { return m_detailsTableViewCell; }
    void setDetailsTableViewCell(std::shared_ptr<KRTableViewCell> cell) { m_detailsTableViewCell = std::move(cell); }

    void viewDidLoad() override;
    void doCommentAction(const pf::ObjectRef& sender);

    void krDocumentDataControllerElementDoAction(KRDocumentDataController& controller, KRDOMElement& element,
                                                 const pf::ObjectRef& action) override;
    void krDocumentControllerDoActionElement(KRDocumentController& controller, KRDOMElement& element) override;
    void feedDocumentControllerDidContentSizeChanged(ZMRFeedDocumentController& controller) override;
    void krDataControllerDidLoaded(KRDataController& controller) override;
    void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error) override;

private:
    void placeHead();
    // The failure's view under the head, not over it.
    void placeFailure();
    // Once the composer hands back YES, the count rises and the comments reload.
    void waitForComment(IKRUIContext& context);
    void openUserOf(const KRDOMElement& element);

    std::shared_ptr<ZMRCommentListController> m_commentListController;
    std::shared_ptr<ZMRFeedDocumentController> m_documentController;
    std::shared_ptr<KRTableViewCell> m_detailsTableViewCell;
    bool m_hasEntry = false;
};
