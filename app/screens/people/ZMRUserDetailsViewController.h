#pragma once

// The user details screen ("UserDetails"): another user's profile (a
// ZMRUserDetailsController document in the header cell of the posts table)
// above that user's posts (a ZMRUserFeedController), with a follow button.
// Opened with the query values "uid" and "nick": the title is "nick", and
// "uid" goes as text to both sources by key. A "uid" that is not a whole
// decimal number sends nothing and shows the status "error" with the text
// the interface file gives `failedLabel`. Every load of the posts (the
// first, a pull) reloads the profile too; the status "loading" lasts until
// the posts answer or the profile is laid out. A failed load of the posts
// while none are shown shows the status "error" with the failure's text
// (ZMRMessage), under the profile when one is shown, until the posts load;
// posts already shown stay without a notice. A failed load of the profile
// while none is shown puts the failure's text (ZMRMessage) in the header,
// in `detailsFailedLabel`, until a profile arrives (a pull asks again);
// a profile already shown stays without a notice. When both failures read
// the same, the header alone tells it (the posts' status stays "error" with
// an empty text, and gets its text back when a profile arrives); different
// texts both show.
//
// The header cell is as high as the profile document less 20 points (never
// below 0). The follow button starts hidden and stays so on one's own
// profile; otherwise it reads "已关注" while the profile's "isFollow" holds
// (truth of a bound value), else "关注" with the image "ico61.png".
//
// A tap follows or unfollows at once: the profile's "isFollow" flips, the
// fans count moves by one (not below 0), an unfollow clears "mutual" (and
// its badge), a follow of a user this profile showed following back sets
// it again, and the task is sent with this screen
// as its delegate only (never its source, so leaving does not withdraw it).
// When the server takes the latest follow and the profile still shows no
// "mutual", the profile is loaded again (only the server knows whether the
// user follows back); a tap before it is shown cancels that load. When the server refuses the latest toggle
// (an error code, or nothing sent), "isFollow", "mutual" and the fans count
// go back to what they were before it and ZMRMessage is alerted. The
// latest toggle whose result is unknown is alerted and the profile loaded
// again, so the page shows the follow state and counts the server has; a
// failure of an older toggle (already overtaken by a later tap) is only
// alerted. Until a profile arrives or a later toggle is taken, the follow
// state is unconfirmed: a failed load of the profile (the outage that lost
// the answer usually fails the reload too), or a refusal of the latest
// toggle, shows the follow state, fans count and "mutual" the server last
// confirmed (its latest profile, moved by each toggle it took since) and
// `unconfirmedLabel` under the profile, the header growing by its height;
// the alert is not repeated. A profile that arrives, or the server taking
// the latest toggle, hides it.
// A profile without a "uid" follows nobody.
//
// A row's "feed" action opens "user-details/feed-details" relative to the
// screen with the element's "pid"; other actions do nothing. The post's
// details take the row's entry for their head and drop the row's kept
// document, so the rows are shown afresh whenever the screen appears again:
// a row still showing the dropped document would take no taps, and likes
// and comments counted meanwhile show.
//
// Main queue only.

#include "app/screens/people/ZMRUserDetailsController.h"
#include "app/screens/shared/ZMRViewController.h"
#include "framework/core/IKRTask.h"
#include "framework/data/KRDocumentDataController.h"

class KRStatusView;
class KRTableViewCell;
class ZMRUserFeedController;

namespace pf {
class Button;
class Label;
}

class ZMRUserDetailsViewController : public ZMRViewController,
                                     public ZMRUserDetailsControllerDelegate,
                                     public KRDocumentDataControllerDelegate,
                                     public IKRUplinkTaskDelegate {
public:
    ~ZMRUserDetailsViewController() override;

    const std::shared_ptr<ZMRUserFeedController>& feedController() const { return m_feedController; }
    void setFeedController(std::shared_ptr<ZMRUserFeedController> controller) { m_feedController = std::move(controller); }
    const std::shared_ptr<ZMRUserDetailsController>& detailsController() const { return m_detailsController; }
    void setDetailsController(std::shared_ptr<ZMRUserDetailsController> controller)
    {
        m_detailsController = std::move(controller);
    }
    const std::shared_ptr<KRTableViewCell>& detailsTableViewCell() const { return m_detailsTableViewCell; }
    void setDetailsTableViewCell(std::shared_ptr<KRTableViewCell> cell) { m_detailsTableViewCell = std::move(cell); }
    const std::shared_ptr<pf::Button>& followButton() const { return m_followButton; }
    void setFollowButton(std::shared_ptr<pf::Button> button) { m_followButton = std::move(button); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }
    // The text of the status "error".
    const std::shared_ptr<pf::Label>& failedLabel() const { return m_failedLabel; }
    void setFailedLabel(std::shared_ptr<pf::Label> label) { m_failedLabel = std::move(label); }
    // The text of a failed profile, in the header; hidden while none failed.
    const std::shared_ptr<pf::Label>& detailsFailedLabel() const { return m_detailsFailedLabel; }
    void setDetailsFailedLabel(std::shared_ptr<pf::Label> label) { m_detailsFailedLabel = std::move(label); }
    // Says the follow state shown is not known to be the server's; hidden
    // while it is.
    const std::shared_ptr<pf::Label>& unconfirmedLabel() const { return m_unconfirmedLabel; }
    void setUnconfirmedLabel(std::shared_ptr<pf::Label> label) { m_unconfirmedLabel = std::move(label); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void refreshFollowButton();
    void onFollowAction(const pf::ObjectRef& sender);

    void krDataControllerWillLoading(KRDataController& controller) override;
    void krDataControllerDidLoaded(KRDataController& controller) override;
    void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error) override;
    void userDetailsControllerDidContentSizeChanged(ZMRUserDetailsController& controller) override;
    void userDetailsControllerDidFailWithError(ZMRUserDetailsController& controller, const pf::Error& error) override;
    void krDocumentDataControllerElementDoAction(KRDocumentDataController& controller, KRDOMElement& element,
                                                 const pf::ObjectRef& action) override;
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    void setStatus(std::optional<std::string> status);
    // Keeps the failure's text under the profile.
    void placeFailedLabel();
    // Puts the posts' failure in `failedLabel`, unless the header tells the same.
    void showPostsFailure();
    // Sizes the header cell to the profile and the notice under it.
    void layoutHeader();
    // Shows what the server last confirmed, and says so.
    void showConfirmed();

    std::shared_ptr<ZMRUserFeedController> m_feedController;
    std::shared_ptr<ZMRUserDetailsController> m_detailsController;
    std::shared_ptr<KRTableViewCell> m_detailsTableViewCell;
    std::shared_ptr<pf::Button> m_followButton;
    std::shared_ptr<KRStatusView> m_statusView;
    std::shared_ptr<pf::Label> m_failedLabel;
    std::shared_ptr<pf::Label> m_detailsFailedLabel;
    std::shared_ptr<pf::Label> m_unconfirmedLabel;
    double m_failedLabelTop = 0; // as the interface file placed it
    std::string m_postsFailure; // the posts' failure while the status tells it
    // The latest toggle, the profile it flipped and what that profile held
    // before, for putting it back when the server refuses it.
    pf::WeakObject m_latestToggle;
    pf::DictionaryRef m_toggledProfile;
    bool m_followedBefore = false;
    int m_fansBefore = 0;
    bool m_mutualBefore = false;
    // The profile that showed the user following back (as "mutual"): an
    // unfollow clears the badge, following again brings it back.
    pf::DictionaryRef m_followsBack;
    // The profile is being loaded again after a toggle; a new tap cancels it.
    bool m_askedAgain = false;
    // The follow state the server last confirmed.
    struct Confirmed { bool following = false; int fans = 0; bool mutual = false; } m_confirmed;
    // The latest toggle's result is unknown and no profile came since.
    bool m_unconfirmed = false;
};
