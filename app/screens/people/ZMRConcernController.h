#pragma once

// The follow list: the people the signed-in user follows (a
// ZMRConcernDataSource), one table section per initial under a tinted
// 22-point header, an index strip once there are 10 sections or more, and
// one markup document per row (the template reads
// "{dataItem.dataObject.nick}"), as high as its laid-out document. Only
// the rows that were shown keep their documents: the others are measured
// and hold just their height, so a list of thousands costs the memory of a
// screenful of documents.
//
// Swiping a row away unfollows that person: the row leaves at once (with
// its section when it was the section's last, sliding right), then an
// unfollow is sent on the next turn of the main loop. A row without a user
// id stays. A refused unfollow shows ZMRMessage in an alert and rebuilds
// the sections from the database, which still holds the row; the
// controller is the task's delegate only, so leaving never withdraws it.
//
// Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/data/KRDocumentDataController.h"

class ZMRConcernDataSource;

class ZMRConcernController : public KRDocumentDataController, public IKRUplinkTaskDelegate {
public:
    ZMRConcernController();

    pf::Value dataObjectByIndexPath(const pf::IndexPath& path) override;

    int numberOfSectionsInTableView(pf::TableView& table) override;
    int tableViewNumberOfRowsInSection(pf::TableView& table, int section) override;
    pf::ViewRef tableViewViewForHeaderInSection(pf::TableView& table, int section) override;
    // The table makes room for a header only for titled sections unless told
    // a height; these sections have views, not titles, so each asks for the
    // table's own section-header height.
    std::optional<double> tableViewHeightForHeaderInSection(pf::TableView& table, int section) override;
    std::vector<std::string> sectionIndexTitlesForTableView(pf::TableView& table) override;
    bool tableViewCanEditRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;
    void tableViewCommitEditingStyle(pf::TableView& table, pf::TableViewCellEditingStyle style,
                                     const pf::IndexPath& path) override;

    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

protected:
    // Every counted row is a person's document: the sections have no header
    // or footer cells.
    bool isDataRow(const pf::IndexPath& path) const override;

private:
    std::shared_ptr<ZMRConcernDataSource> concernSource() const;
};
