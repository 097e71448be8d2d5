#include "framework/ui/KRScrollView.h"

void KRScrollView::setContentOffset(pf::Point offset)
{
    pf::Point before = contentOffset();
    pf::ScrollView::setContentOffset(offset);
    if (contentOffset() == before)
        return;
    // Held across the call: the delegate may drop its last owner of this view.
    auto self = weak_from_this().lock();
    if (auto delegate = std::dynamic_pointer_cast<KRScrollViewDelegate>(this->delegate()))
        delegate->scrollViewDidContentOffsetChanged(*this, contentOffset());
}
