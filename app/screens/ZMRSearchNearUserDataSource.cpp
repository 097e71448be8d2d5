#include "app/screens/ZMRSearchNearUserDataSource.h"

#include "app/services/ZMRContext.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"

#include <cstdio>

namespace {

std::string coordinateText(double degrees)
{
    char text[64];
    std::snprintf(text, sizeof text, "%lf", degrees);
    return text;
}

}

ZMRSearchNearUserDataSource::ZMRSearchNearUserDataSource()
{
    m_observer = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRLocationChangedNotification, m_observerLife, [this](const pf::Notification&) { locationDidChangedAction(); });
}

ZMRSearchNearUserDataSource::~ZMRSearchNearUserDataSource()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_observer);
}

void ZMRSearchNearUserDataSource::reloadData()
{
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()); context && context->isNeedsUpdateLocation())
        context->startLocation();
    locationDidChangedAction();
    ZMRPageDataSource::reloadData();
}

void ZMRSearchNearUserDataSource::locationDidChangedAction()
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    std::optional<pf::Location> location = context ? context->location() : std::nullopt;
    // A fix from before the user switched location services off is no
    // longer theirs to send.
    if (!pf::LocationProvider::locationServicesEnabled())
        location.reset();
    queryValues()->set("latitude", coordinateText(location ? location->latitude : 0));
    queryValues()->set("longitude", coordinateText(location ? location->longitude : 0));
}
