#include "app/screens/people/ZMRConcernDataSource.h"

#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRContext.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/IKRSqliteCursor.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <map>
#include <unordered_map>

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

// Whether a row shows the same person the same way: every stored field but
// the version, which each sync rewrites.
bool showsSame(const ZMRConcernObject& a, const ZMRConcernObject& b)
{
    return a.uid() == b.uid() && a.nick() == b.nick() && a.logo() == b.logo() && a.py() == b.py()
           && a.isMutual() == b.isMutual();
}

// The rows of the sections by user id; a second row of one id is not kept.
std::unordered_map<long long, pf::DictionaryRef>
keptRows(const std::vector<std::shared_ptr<ZMRConcernDataSourceSection>>& sections)
{
    std::unordered_map<long long, pf::DictionaryRef> kept;
    for (const auto& section : sections) {
        for (const pf::Value& row : *section->dataObjects()) {
            pf::DictionaryRef dictionary = row.dictionary();
            auto object = dictionary ? dictionary->get("dataObject").objectAs<ZMRConcernObject>() : nullptr;
            if (object)
                kept.try_emplace(object->uid(), dictionary);
        }
    }
    return kept;
}

// The kept row of the same person shown the same way, now holding the
// fresh object (its version), taken out of `kept` so no two rows share
// it; else a new row.
pf::DictionaryRef rowFor(std::unordered_map<long long, pf::DictionaryRef>& kept,
                         const std::shared_ptr<ZMRConcernObject>& object, const pf::Value& value)
{
    if (auto it = kept.find(object->uid()); it != kept.end()) {
        pf::DictionaryRef row = std::move(it->second);
        kept.erase(it);
        auto shown = row->get("dataObject").objectAs<ZMRConcernObject>();
        if (shown && showsSame(*shown, *object)) {
            row->set("dataObject", value);
            return row;
        }
    }
    return pf::Dictionary::create({{"dataObject", value}});
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
    m_changePending = false;
    reloadDataObject();
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidLoaded(*this);
    setLoaded(true);
}

void ZMRConcernDataSource::dbChangedAction()
{
    if (m_changePending)
        return;
    m_changePending = true;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    // When idle: the sync's next page request goes out first, so the
    // rebuild overlaps the server's work instead of delaying it.
    pf::RunLoop::main().postWhenIdle([weakSelf] {
        if (auto self = std::static_pointer_cast<ZMRConcernDataSource>(weakSelf.lock()))
            self->reloadChanged();
    });
}

void ZMRConcernDataSource::reloadChanged()
{
    if (!m_changePending)
        return; // taken in by a reloadData meanwhile
    auto self = shared_from_this();
    // Cleared before the read: a change posted from here on needs a rebuild of its own.
    m_changePending = false;
    buildSections(Rows::KeepUnchanged);
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
    buildSections(Rows::New);
}

void ZMRConcernDataSource::buildSections(Rows rows)
{
    // New rows replace the old ones: dropped first, so a long list is not
    // held twice while it is read again.
    if (rows == Rows::New)
        m_sections.clear();
    std::vector<std::shared_ptr<ZMRConcernDataSourceSection>> sections;
    auto other = std::make_shared<ZMRConcernDataSourceSection>();
    other->setPy("#");
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    KRDBContextRef db = context ? context->userDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRConcernObject");
    // Initials keep their case, so only a comparison without case puts "b"
    // before "Z"; the per-user database holds an index in this order.
    auto cursor = db && cls ? db->query(cls, std::string(m_mutual ? "WHERE mutual==1 " : "") + "ORDER BY py COLLATE NOCASE ASC,nick ASC")
                            : nullptr;
    if (cursor) {
        std::unordered_map<long long, pf::DictionaryRef> kept;
        if (rows == Rows::KeepUnchanged)
            kept = keptRows(m_sections);
        std::map<std::string, std::shared_ptr<ZMRConcernDataSourceSection>> byTitle;
        pf::ArrayRef objects = cursor->dataObjects(cls);
        cursor->close();
        for (const pf::Value& value : *objects) {
            auto object = value.objectAs<ZMRConcernObject>();
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
            section->dataObjects()->add(pf::Value(rowFor(kept, object, value)));
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
