#pragma once

// The relation screen ("Relation"): the people the user follows and the
// user's fans, as the pages of a tab controller, with a segmented control
// that always shows the page the tabs have selected. Each page's list loads
// the first time the page is shown and keeps what it holds afterwards.
//
// When its view loads and the context reports the follow list changed, the
// screen asks for the follow list again (a ZMRConcernTask) before the
// selected page loads.
//
// A row raising the action "user" opens that person's details, one level
// below the relation screen in the root stack, with the row's "uid" and
// (when present) "nick"; a row without "uid" opens nothing. A segment that
// names no page (none selected, -1) is ignored. A drag that begins within
// kDrawerEdge of the window's left edge is left to the drawer, not the pages.
//
// A failed load of an empty page shows its text over that page
// (ZMRListFailure.h): the fans' list, or the follow-list sync behind the
// stored follow list; rows already shown stay without a notice. The text
// stays while the list shows nothing and the follow list is not known
// current (the context's follow list marked as changed). Leaving and
// opening the screen again is the retry.
//
// The screen is the delegate of its tab controller and of every page's
// document list. Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRDocumentDataController.h"
#include "framework/data/KRTabDataController.h"

class KRTabPageDataController;

namespace pf {
class SegmentedControl;
}

class ZMRRelationViewController : public ZMRViewController,
                                  public KRTabDataControllerDelegate,
                                  public KRDocumentDataControllerDelegate {
public:
    // Where the details open.
    static constexpr const char* kUserDetailsURL = "root:///root/fold/center/relation/user-details";
    // How far from the window's left edge a drag belongs to the drawer, not the pages.
    static constexpr double kDrawerEdge = 24;

    const std::shared_ptr<KRTabPageDataController>& tabController() const { return m_tabController; }
    void setTabController(std::shared_ptr<KRTabPageDataController> controller);
    const std::shared_ptr<pf::SegmentedControl>& segmentedControl() const { return m_segmentedControl; }
    void setSegmentedControl(std::shared_ptr<pf::SegmentedControl> control)
    {
        m_segmentedControl = std::move(control);
    }

    void viewDidLoad() override;
    // The segmented control's value-changed action.
    void segmentedValueChangedAction(const pf::ObjectRef& sender);

    void krTabDataControllerDidSelectedChanged(KRTabDataController& controller, unsigned index) override;
    void krDocumentDataControllerElementDoAction(KRDocumentDataController& controller, KRDOMElement& element,
                                                 const pf::ObjectRef& action) override;
    void krDataControllerDidLoaded(KRDataController& controller) override;
    void krDataControllerDidContentChanged(KRDataController& controller) override;
    void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error) override;

private:
    void leaveEdgeToDrawer();

    std::shared_ptr<KRTabPageDataController> m_tabController;
    std::shared_ptr<pf::SegmentedControl> m_segmentedControl;
};
