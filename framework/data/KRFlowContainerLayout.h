#pragma once

// Fills rows left to right and wraps: an item starts a new row when it and
// its side margins would pass the area's width (exactly filling it does not).
// A row is as tall as its tallest item with top and bottom margins. An item
// wider than the area takes the start of its own row.

#include "framework/data/KRContainerLayout.h"

class KRFlowContainerLayout : public KRContainerLayout {
public:
    void reloadData() override;
};
