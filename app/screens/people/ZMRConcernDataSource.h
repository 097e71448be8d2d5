#pragma once

// The people the signed-in user follows, as the follow-list sync keeps them
// in the per-user database, in sections by the first of their pinyin
// initials the way an address book shows them. Nothing is asked of the
// server: reloadData reads the table and reports loaded at once (no
// will-load). A "ZMRConcernChangedNotification" rebuilds the sections and
// reports content changed on a later turn, once the main loop is idle: the
// sync posts one per page, and a rebuild already pending takes in every
// change posted before it runs, so a long sync costs as many rebuilds as
// the loop had pauses, not as many as pages (a notification posted while
// the rebuild tells its delegate brings another). Such a rebuild keeps the
// row dictionary of every person whose stored fields (but the version) are
// unchanged, with whatever its owner keeps in it (a row's document); only
// new or changed people get new rows. reloadData makes every row anew
// (dropping the old ones first, so a long list is never held twice) and
// takes in a pending rebuild. A failed page of the sync
// ("ZMRConcernFailedNotification") is reported as this source's failure,
// whatever the table holds.
//
// Sections come in the order of the initials, compared without case
// (digits before letters), and are titled by one character "0"-"9" or
// "A"-"Z"; initials that are empty or begin with anything else go to "#",
// always last. Within a section rows are ordered by initials, then
// nickname. A row is a dictionary whose "dataObject" is the
// ZMRConcernObject, so row templates read "{dataItem.dataObject.nick}".
// Without a signed-in user's database the list is empty.
//
// Main queue only (the notification is posted there).

#include "framework/data/KRPageDataSource.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"

#include <memory>
#include <string>
#include <vector>

class ZMRConcernDataSourceSection : public pf::Object {
public:
    const std::string& py() const { return m_py; }
    void setPy(std::string py) { m_py = std::move(py); }
    pf::ArrayRef dataObjects() const { return m_dataObjects; }

private:
    std::string m_py;
    pf::ArrayRef m_dataObjects = pf::Array::create();
};

class ZMRConcernDataSource : public KRPageDataSource {
public:
    ZMRConcernDataSource();
    ~ZMRConcernDataSource() override;

    // Only people who follow back.
    bool isMutual() const { return m_mutual; }
    void setMutual(bool mutual) { m_mutual = mutual; }
    const std::vector<std::shared_ptr<ZMRConcernDataSourceSection>>& sections() const { return m_sections; }

    void reloadData() override;
    // The whole list is local: there is never more to load.
    void loadMoreData() override {}
    bool hasMoreData() override { return false; }
    bool isEmpty() override { return m_sections.empty(); }
    // The row dictionary, or nil past a section's rows or the last section.
    pf::Value dataObjectAtIndexPath(const pf::IndexPath& indexPath) const;

    // Rebuilds the sections from the database with new rows, telling nobody.
    void reloadDataObject();
    // Drops one section (a swiped-away last row), telling nobody; an index
    // outside the sections does nothing.
    void removeSectionAtIndex(int index);

private:
    enum class Rows { New, KeepUnchanged };
    void dbChangedAction();
    void syncFailed(const pf::Error& error);
    void reloadChanged();
    void buildSections(Rows rows);

    std::vector<std::shared_ptr<ZMRConcernDataSourceSection>> m_sections;
    bool m_mutual = false;
    bool m_changePending = false;
    // Owns the notification registration: it ends with the source.
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observer = 0;
    std::uint64_t m_failureObserver = 0;
};
