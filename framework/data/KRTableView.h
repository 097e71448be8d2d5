#pragma once

// The table of the list controllers: a table that tells its delegate of
// every content-offset change (drag, deceleration, bounce, code) and of
// joining or leaving a window. The delegate is not retained; one that is no
// KRTableViewDelegate hears only the plain table callbacks.
//
// Main queue only.

#include "platform/controls/TableView.h"

class KRTableView;

class KRTableViewDelegate : public pf::TableViewDelegate {
public:
    virtual void tableViewDidContentOffsetChanged(KRTableView&, pf::Point /*offset*/) {}
    // The window the table is about to join; null when it is about to leave one.
    virtual void tableViewWillMoveToWindow(KRTableView&, pf::Window* /*window*/) {}
    // The window is null when the table left its window.
    virtual void tableViewDidMoveToWindow(KRTableView&, pf::Window* /*window*/) {}
};

class KRTableView : public pf::TableView {
public:
    using pf::TableView::TableView;
    using pf::TableView::setContentOffset;

    void setContentOffset(pf::Point offset) override;
    void willMoveToWindow(pf::Window* window) override;
    void didMoveToWindow() override;

private:
    std::shared_ptr<KRTableViewDelegate> krDelegate() const;
};
