#include "app/screens/people/ZMRConcernController.h"

#include "app/screens/people/ZMRConcernDataSource.h"
#include "app/screens/shared/ZMRViewController.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/controls/Label.h"
#include "platform/foundation/RunLoop.h"

namespace {

constexpr int kSectionIndexMinimum = 10;

}

ZMRConcernController::ZMRConcernController()
{
    setRowDocuments(KRRowDocuments::ShownRows);
}

std::shared_ptr<ZMRConcernDataSource> ZMRConcernController::concernSource() const
{
    return std::dynamic_pointer_cast<ZMRConcernDataSource>(dataSource());
}

pf::Value ZMRConcernController::dataObjectByIndexPath(const pf::IndexPath& path)
{
    auto source = concernSource();
    return source ? source->dataObjectAtIndexPath(path) : pf::Value();
}

int ZMRConcernController::numberOfSectionsInTableView(pf::TableView&)
{
    auto source = concernSource();
    return source ? static_cast<int>(source->sections().size()) : 0;
}

int ZMRConcernController::tableViewNumberOfRowsInSection(pf::TableView&, int section)
{
    auto source = concernSource();
    if (!source || section < 0 || section >= static_cast<int>(source->sections().size()))
        return 0;
    return static_cast<int>(source->sections()[section]->dataObjects()->count());
}

pf::ViewRef ZMRConcernController::tableViewViewForHeaderInSection(pf::TableView& table, int section)
{
    auto source = concernSource();
    auto header = std::make_shared<pf::View>(pf::Rect(0, 0, table.bounds().width(), 22));
    header->setBackgroundColor(pf::Color::rgb(247 / 255.0, 227 / 255.0, 219 / 255.0));
    auto label = std::make_shared<pf::Label>(pf::Rect(10, 0, 100, 22));
    label->setFont(pf::Font::boldSystem(12));
    label->setTextColor(pf::Color::rgb(242 / 255.0, 108 / 255.0, 79 / 255.0));
    label->setBackgroundColor(pf::Color::clear());
    label->setAutoresizingMask(pf::Autoresizing::FlexibleRightMargin | pf::Autoresizing::FlexibleHeight);
    if (source && section >= 0 && section < static_cast<int>(source->sections().size()))
        label->setText(source->sections()[section]->py());
    header->addSubview(label);
    return header;
}

std::optional<double> ZMRConcernController::tableViewHeightForHeaderInSection(pf::TableView& table, int)
{
    return table.sectionHeaderHeight();
}

std::vector<std::string> ZMRConcernController::sectionIndexTitlesForTableView(pf::TableView&)
{
    std::vector<std::string> titles;
    auto source = concernSource();
    if (!source || source->sections().size() < kSectionIndexMinimum)
        return titles;
    for (const auto& section : source->sections())
        titles.push_back(section->py());
    return titles;
}

bool ZMRConcernController::isDataRow(const pf::IndexPath&) const
{
    return true;
}

bool ZMRConcernController::tableViewCanEditRowAtIndexPath(pf::TableView&, const pf::IndexPath&)
{
    return true;
}

void ZMRConcernController::tableViewCommitEditingStyle(pf::TableView& table, pf::TableViewCellEditingStyle,
                                                       const pf::IndexPath& path)
{
    auto source = concernSource();
    if (!source || path.section < 0 || path.section >= static_cast<int>(source->sections().size()))
        return;
    long long uid = dataForKeyPath(source->dataObjectAtIndexPath(path), "dataObject.uid").longLongValue();
    if (uid == 0)
        return;
    auto section = source->sections()[path.section];
    section->dataObjects()->removeAt(static_cast<std::size_t>(path.row));
    if (section->dataObjects()->count() == 0) {
        source->removeSectionAtIndex(path.section);
        table.deleteSections({path.section}, pf::TableViewRowAnimation::Right);
    } else {
        table.deleteRowsAtIndexPaths({path}, pf::TableViewRowAnimation::Right);
    }
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    pf::RunLoop::main().post([weakSelf, uid] {
        auto self = std::static_pointer_cast<ZMRConcernController>(weakSelf.lock());
        auto context = self ? self->context() : nullptr;
        if (!context)
            return;
        auto task = std::make_shared<ZMRUnFollowTask>();
        task->setTuid(uid);
        task->setDelegate(std::dynamic_pointer_cast<IKRUplinkTaskDelegate>(self));
        context->handle(proto::IZMRUnFollowTask(), task, 0);
    });
}

void ZMRConcernController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&, const pf::Protocol*)
{
}

void ZMRConcernController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                        const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRUnFollowTask())
        return;
    auto keep = shared_from_this();
    ZMRViewController::showAlert(ZMRMessage(error));
    // The database still holds the person: show them again.
    if (auto source = concernSource())
        source->reloadDataObject();
    if (auto table = tableView())
        table->reloadData();
}
