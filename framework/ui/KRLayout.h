#pragma once

// Base of the layouts a KRLayoutContainer runs: a pass places views and
// records the extent it reached. The base places nothing.
//
// Main queue only, inside the owner's view life cycle.

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"

class KRLayout : public pf::Object {
public:
    virtual void layout() {}

    // The extent reached by the last pass; zero until a pass.
    pf::Size contentSize() const { return m_contentSize; }
    void setContentSize(pf::Size size) { m_contentSize = size; }

private:
    pf::Size m_contentSize;
};
