#include "framework/data/KRTableView.h"

#include "platform/ui/Window.h"

std::shared_ptr<KRTableViewDelegate> KRTableView::krDelegate() const
{
    return std::dynamic_pointer_cast<KRTableViewDelegate>(delegate());
}

void KRTableView::setContentOffset(pf::Point offset)
{
    pf::Point before = contentOffset();
    pf::TableView::setContentOffset(offset);
    if (contentOffset() == before)
        return;
    // Held across the call: the delegate may drop its last owner of this view.
    auto self = weak_from_this().lock();
    if (auto delegate = krDelegate())
        delegate->tableViewDidContentOffsetChanged(*this, contentOffset());
}

void KRTableView::willMoveToWindow(pf::Window* window)
{
    pf::TableView::willMoveToWindow(window);
    auto self = weak_from_this().lock();
    if (auto delegate = krDelegate())
        delegate->tableViewWillMoveToWindow(*this, window);
}

void KRTableView::didMoveToWindow()
{
    pf::TableView::didMoveToWindow();
    auto self = weak_from_this().lock();
    if (auto delegate = krDelegate())
        delegate->tableViewDidMoveToWindow(*this, window().get());
}
