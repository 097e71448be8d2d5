#include "app/screens/prizes/ZMRPrizeSearchController.h"

pf::Size ZMRPrizeSearchController::krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int index)
{
    const double width = layout.size().width;
    if (index == 0)
        return {width, 214.0};
    return {width / 2, 120.0};
}

std::shared_ptr<KRItemViewController> ZMRPrizeSearchController::krContainerViewItemViewAtIndex(KRContainerView& view,
                                                                                              int index,
                                                                                              const pf::Rect& frame)
{
    setItemViewNib(index == 0 ? kFirstItemNib : kItemNib);
    return KRContainerDataController::krContainerViewItemViewAtIndex(view, index, frame);
}
