#include "app/screens/ZMRNearFeedDataSource.h"

#include "app/services/ZMRContext.h"
#include "framework/core/IKRUIContext.h"
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

ZMRNearFeedDataSource::ZMRNearFeedDataSource()
{
    m_observer = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRLocationChangedNotification, m_observerLife, [this](const pf::Notification&) { locationDidChangedAction(); });
}

ZMRNearFeedDataSource::~ZMRNearFeedDataSource()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_observer);
}

void ZMRNearFeedDataSource::reloadData()
{
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()); context && context->isNeedsUpdateLocation())
        context->startLocation();
    locationDidChangedAction();
    ZMRFeedDataSource::reloadData();
}

void ZMRNearFeedDataSource::locationDidChangedAction()
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    std::optional<pf::Location> location = context ? context->location() : std::nullopt;
    queryValues()->set("latitude", coordinateText(location ? location->latitude : 0));
    queryValues()->set("longitude", coordinateText(location ? location->longitude : 0));
}
