#pragma once

// One item of the publish fly-out menu (ZMRPublishView). It flies between a
// closed and an open place, both given in points from the bottom-right
// corner of its superview (the menu), with a turn in degrees at each end;
// the values come from the interface file. Main queue only.

#include "platform/ui/View.h"

class ZMRPublishItemView : public pf::View {
public:
    explicit ZMRPublishItemView(const pf::Rect& frame = {}) : pf::View(frame) {}

    // The item's size at both ends of the flight.
    pf::Size size() const { return m_size; }
    void setSize(const pf::Size& size) { m_size = size; }
    double fromBottom() const { return m_fromBottom; }
    void setFromBottom(double value) { m_fromBottom = value; }
    double fromRight() const { return m_fromRight; }
    void setFromRight(double value) { m_fromRight = value; }
    double fromAngle() const { return m_fromAngle; }
    void setFromAngle(double value) { m_fromAngle = value; }
    double toBottom() const { return m_toBottom; }
    void setToBottom(double value) { m_toBottom = value; }
    double toRight() const { return m_toRight; }
    void setToRight(double value) { m_toRight = value; }
    double toAngle() const { return m_toAngle; }
    void setToAngle(double value) { m_toAngle = value; }

    // The closed and the open place; inside an animation block they animate.
    // Without a superview the item stays where it is.
    void toBegin();
    void toEnd();

private:
    void place(double right, double bottom, double angle);

    pf::Size m_size;
    double m_fromBottom = 0;
    double m_fromRight = 0;
    double m_fromAngle = 0;
    double m_toBottom = 0;
    double m_toRight = 0;
    double m_toAngle = 0;
};
