#pragma once

// The signed-in user's comments ("Comment", under
// "root:///root/fold/center/comment"): what others said on the user's
// posts and their replies to the user's comments, newest first, in a
// ZMRCommentListController whose source the interface file sets. The
// status view shows "loading" from the first load until its first answer
// (cached or not) or failure.
//
// Row actions, by "action-name": "reply" opens the composer for a reply
// (see ZMRCommentListController.h); "user" opens ".../comment/user-details"
// with the element's "uid" and "nick"; "feed" stores the row's "publish"
// (the post) as the focus value "feed" and opens ".../comment/feed-details"
// with the element's "pid", and does nothing for a row without a post.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRDocumentDataController.h"

class KRStatusView;
class ZMRCommentListController;

class ZMRCommentViewController : public ZMRViewController, public KRDocumentDataControllerDelegate {
public:
    static constexpr const char* kUserURL = "root:///root/fold/center/comment/user-details";
    static constexpr const char* kFeedURL = "root:///root/fold/center/comment/feed-details";

    const std::shared_ptr<ZMRCommentListController>& listController() const { return m_listController; }
    void setListController(std::shared_ptr<ZMRCommentListController> controller)
    {
        m_listController = std::move(controller);
    }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    void krDataControllerDidLoaded(KRDataController& controller) override;
    void krDataControllerDidLoadedFromCache(KRDataController& controller, pf::Date timestamp) override;
    void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error) override;
    void krDocumentDataControllerElementDoAction(KRDocumentDataController& controller, KRDOMElement& element,
                                                 const pf::ObjectRef& action) override;

private:
    void endLoading(const KRDataController& controller);
    void openFeedOf(KRDOMElement& element);

    std::shared_ptr<ZMRCommentListController> m_listController;
    std::shared_ptr<KRStatusView> m_statusView;
};
