#pragma once

// One full page per item, side by side horizontally: item i fills the area
// shifted by i widths, inside its margins. The item size is not read.

#include "framework/data/KRContainerLayout.h"

class KRPageContainerLayout : public KRContainerLayout {
public:
    void reloadData() override;
};
