#pragma once

// The prize grid: the first prize large (the layout's width by 214 points,
// from the item file "ZMRPrizeItemViewController"), every other one half the
// width by 120 points, two a row (from "ZMRPrizeItemViewController2"). The
// file name is also the reuse name, so the two kinds are reused apart.
//
// Main queue only.

#include "framework/data/KRContainerDataController.h"

class ZMRPrizeSearchController : public KRContainerDataController {
public:
    static constexpr const char* kFirstItemNib = "ZMRPrizeItemViewController";
    static constexpr const char* kItemNib = "ZMRPrizeItemViewController2";

    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int index) override;
    std::shared_ptr<KRItemViewController> krContainerViewItemViewAtIndex(KRContainerView& view, int index,
                                                                        const pf::Rect& frame) override;
};
