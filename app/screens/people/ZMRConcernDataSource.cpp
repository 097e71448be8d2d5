#include "app/screens/people/ZMRConcernDataSource.h"

#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRContext.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/IKRSqliteCursor.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"

#include <map>

namespace {

// The section title of a row's initials.
std::string sectionTitle(const std::optional<std::string>& py)
{
    char first = py && !py->empty() ? (*py)[0] : '\0';
    if (first >= 'a' && first <= 'z')
        first = static_cast<char>(first - 'a' + 'A');
    if ((first >= '0' && first <= '9') || (first >= 'A' && first <= 'Z'))
        return std::string(1, first);
    return "#";
}

}

ZMRConcernDataSource::ZMRConcernDataSource()
{
    m_observer = pf::NotificationCenter::defaultCenter().addObserver(ZMRConcernChangedNotification, m_observerLife,
                                                                      [this](const pf::Notification&) { dbChangedAction(); });
    m_failureObserver = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRConcernFailedNotification, m_observerLife, [this](const pf::Notification& notification) {
            if (auto error = ZMRConcernFailure(notification))
                syncFailed(*error);
        });
}

ZMRConcernDataSource::~ZMRConcernDataSource()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_observer);
    pf::NotificationCenter::defaultCenter().removeObserver(m_failureObserver);
}

void ZMRConcernDataSource::syncFailed(const pf::Error& error)
{
    auto self = weak_from_this().lock();
    if (!self)
        return;
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidFitalError(*this, error);
}

void ZMRConcernDataSource::reloadData()
{
    auto self = shared_from_this(); // the delegate may drop its last reference
    reloadDataObject();
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidLoaded(*this);
    setLoaded(true);
}

void ZMRConcernDataSource::dbChangedAction()
{
    auto self = weak_from_this().lock();
    if (!self)
        return;
    reloadDataObject();
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidContentChanged(*this);
}

pf::Value ZMRConcernDataSource::dataObjectAtIndexPath(const pf::IndexPath& indexPath) const
{
    if (indexPath.section < 0 || indexPath.row < 0 || indexPath.section >= static_cast<int>(m_sections.size()))
        return {};
    return m_sections[static_cast<std::size_t>(indexPath.section)]->dataObjects()->at(static_cast<std::size_t>(indexPath.row));
}

void ZMRConcernDataSource::reloadDataObject()
{
    std::vector<std::shared_ptr<ZMRConcernDataSourceSection>> sections;
    auto other = std::make_shared<ZMRConcernDataSourceSection>();
    other->setPy("#");
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    KRDBContextRef db = context ? context->userDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRConcernObject");
    // Initials keep their case, so only a comparison without case puts "b" before "Z".
    auto cursor = db && cls ? db->query(cls, std::string(m_mutual ? "WHERE mutual==1 " : "") + "ORDER BY py COLLATE NOCASE ASC,nick ASC")
                            : nullptr;
    if (cursor) {
        std::map<std::string, std::shared_ptr<ZMRConcernDataSourceSection>> byTitle;
        pf::ArrayRef rows = cursor->dataObjects(cls);
        cursor->close();
        for (const pf::Value& row : *rows) {
            auto object = row.objectAs<ZMRConcernObject>();
            if (!object)
                continue;
            std::string title = sectionTitle(object->py());
            std::shared_ptr<ZMRConcernDataSourceSection> section = other;
            if (title != "#") {
                auto& slot = byTitle[title];
                if (!slot) {
                    slot = std::make_shared<ZMRConcernDataSourceSection>();
                    slot->setPy(title);
                    sections.push_back(slot);
                }
                section = slot;
            }
            section->dataObjects()->add(pf::Value(pf::Dictionary::create({{"dataObject", row}})));
        }
    }
    if (!other->dataObjects()->empty())
        sections.push_back(other);
    m_sections = std::move(sections);
}

void ZMRConcernDataSource::removeSectionAtIndex(int index)
{
    if (index >= 0 && index < static_cast<int>(m_sections.size()))
        m_sections.erase(m_sections.begin() + index);
}
