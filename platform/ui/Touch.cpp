#include "platform/ui/Touch.h"

#include "platform/ui/View.h"

namespace pf {

Touch::Touch(int identifier, Point locationInWindow, double timestamp, int tapCount)
    : m_identifier(identifier)
    , m_location(locationInWindow)
    , m_previousLocation(locationInWindow)
    , m_timestamp(timestamp)
    , m_tapCount(tapCount)
{
}

Point Touch::locationInView(const View* view) const
{
    return view ? view->convertPointFromView(m_location, nullptr) : m_location;
}

Point Touch::previousLocationInView(const View* view) const
{
    return view ? view->convertPointFromView(m_previousLocation, nullptr) : m_previousLocation;
}

}
