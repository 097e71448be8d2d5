#pragma once

// The home screen: the feed of posts as a table of markup rows, and a
// drop-down menu under the title that picks the feed: "near" (附近的),
// "follow" (关注的妈妈), "friends" (好友妈妈) or anything else, nil included,
// for everyone's (Zomaru). It sits in the fold drawer's centre at
// "/root/fold/center/home"; what a row opens is opened below that path.
//
// The interface file supplies the menu (cells whose buttons raise the action
// "classify" with the feed's word as user information), the views disabled
// while the menu is open, the feed controller and its source, which must
// choose its list by the key "status" (a status gatherer over one feed
// source per word): the screen only sets that key.
//
// The menu opens and closes over 0.3 s (the list's height from 0 to its
// content's and back, the layer fading); asks that arrive while it moves are
// dropped, so two taps within 0.3 s only open it. Switching the feed applies
// the data outlets whose status the new word contains, closes the menu and
// reloads the list. The feed menu and the publish menu are never open at
// once: the title's tap while the publish menu is open only closes that;
// back (Escape) closes whichever is open before it leaves the screen.
//
// Row actions: "feed" opens the post named by its user information below
// the home path with the element's "pid"; "user" the user details with
// "uid" and, when present, "nick"; either needs a text user information and
// "feed" a "pid". "image" stores the focus value "image" (the element's
// "images" array and its "pageIndex" text) and opens the picture viewer;
// without an array it does nothing. Coming back redraws the rows without
// asking the server.
//
// A load that fails over an empty list shows the feed controller's
// not-found view (the interface file's) with the failure's message in its
// first label, over a hint that pulling down loads again; a load that
// ends without rows and without a failure leaves that view blank.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRDocumentDataController.h"

class KRTableSource;
class ZMRFeedController;

namespace pf {
class Button;
class ScrollView;
}

class ZMRHomeViewController : public ZMRViewController, public KRDocumentDataControllerDelegate {
public:
    const std::optional<std::string>& classify() const { return m_classify; }
    // The button's title for the word, and the feed source's "status".
    void setClassify(std::optional<std::string> classify);
    // The button title a word gives.
    static std::string classifyTitle(const std::optional<std::string>& classify);

    const pf::ViewRef& classifyView() const { return m_classifyView; }
    void setClassifyView(pf::ViewRef view) { m_classifyView = std::move(view); }
    const std::shared_ptr<pf::ScrollView>& classifyContentView() const { return m_classifyContentView; }
    void setClassifyContentView(std::shared_ptr<pf::ScrollView> view) { m_classifyContentView = std::move(view); }
    const std::shared_ptr<pf::Button>& classifyButton() const { return m_classifyButton; }
    void setClassifyButton(std::shared_ptr<pf::Button> button) { m_classifyButton = std::move(button); }
    const pf::ArrayRef& classifyEnabledViews() const { return m_classifyEnabledViews; }
    void setClassifyEnabledViews(pf::ArrayRef views) { m_classifyEnabledViews = std::move(views); }
    const std::shared_ptr<KRTableSource>& classifyTableSource() const { return m_classifyTableSource; }
    void setClassifyTableSource(std::shared_ptr<KRTableSource> source) { m_classifyTableSource = std::move(source); }
    const std::shared_ptr<ZMRFeedController>& feedController() const { return m_feedController; }
    void setFeedController(std::shared_ptr<ZMRFeedController> controller) { m_feedController = std::move(controller); }
    bool isClassifyViewAnimating() const { return m_classifyViewAnimating; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool goBack(bool animated) override;

    void doClassifyChangeAction(const pf::ObjectRef& sender);
    void doClassifyHiddenAction(const pf::ObjectRef& sender);
    void visableClassifyView(bool animated);
    void hiddenClassifyView(bool animated);

    void doAction(const pf::ObjectRef& sender) override;
    void krDocumentDataControllerElementDoAction(KRDocumentDataController& controller, KRDOMElement& element,
                                                 const pf::ObjectRef& action) override;
    void krDataControllerDidLoaded(KRDataController& controller) override;
    void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error) override;

private:
    void setClassifyEnabled(bool enabled);
    void applyClassifyOutlets();

    std::optional<std::string> m_classify;
    pf::ViewRef m_classifyView;
    std::shared_ptr<pf::ScrollView> m_classifyContentView;
    std::shared_ptr<pf::Button> m_classifyButton;
    pf::ArrayRef m_classifyEnabledViews;
    std::shared_ptr<KRTableSource> m_classifyTableSource;
    std::shared_ptr<ZMRFeedController> m_feedController;
    bool m_classifyViewAnimating = false;
};
