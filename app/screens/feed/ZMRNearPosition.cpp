#include "app/screens/feed/ZMRNearPosition.h"

#include "app/screens/shared/ZMRListQuery.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataSource.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"

ZMRNearPosition::ZMRNearPosition(KRDataSource& source, ZMRListQuery& query, ServicesOff servicesOff)
    : m_source(source)
    , m_query(query)
    , m_servicesOff(servicesOff)
{
    m_observer = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRLocationChangedNotification, m_observerLife, [this](const pf::Notification&) { write(); });
}

ZMRNearPosition::~ZMRNearPosition()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_observer);
}

void ZMRNearPosition::refresh()
{
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(m_source.context()); context && context->isNeedsUpdateLocation())
        context->startLocation();
    write();
}

void ZMRNearPosition::write()
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(m_source.context());
    std::optional<pf::Location> location = context ? context->location() : std::nullopt;
    // A fix from before the user switched location services off is no
    // longer theirs to send.
    if (m_servicesOff == ServicesOff::SendNone && !pf::LocationProvider::locationServicesEnabled())
        location.reset();
    m_query.queryValues()->set("latitude", ZMRFormDecimal(location ? location->latitude : 0));
    m_query.queryValues()->set("longitude", ZMRFormDecimal(location ? location->longitude : 0));
}
