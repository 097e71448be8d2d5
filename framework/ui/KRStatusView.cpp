#include "framework/ui/KRStatusView.h"

#include "framework/ui/KRAnimationView.h"

namespace {

void start(const pf::ViewRef& view)
{
    view->setHidden(false);
    KRStartAnimating(*view);
}

void stop(const pf::ViewRef& view)
{
    KRStopAnimating(*view);
    view->setHidden(true);
}

}

void KRStatusView::setStatus(std::optional<std::string> status)
{
    if (status == m_status)
        return;
    m_status = std::move(status);
    changedStatus();
}

void KRStatusView::setStatusItems(pf::ArrayRef items)
{
    if (items == m_statusItems)
        return;
    m_statusItems = std::move(items);
    changedStatus();
}

void KRStatusView::awakeFromNib()
{
    pf::View::awakeFromNib();
    changedStatus();
}

void KRStatusView::changedStatus()
{
    if (!m_statusItems)
        return;
    // A copy: a started view's code may replace the items while we walk them.
    pf::ArrayRef items = m_statusItems;
    for (std::size_t i = 0; i < items->count(); ++i) {
        auto item = items->at(i).objectAs<KRStatusViewItem>();
        if (!item || !item->views())
            continue;
        bool matches = m_status && item->status() && *m_status == *item->status();
        pf::ArrayRef views = item->views();
        for (std::size_t j = 0; j < views->count(); ++j) {
            auto view = views->at(j).objectAs<pf::View>();
            if (!view)
                continue;
            matches ? start(view) : stop(view);
        }
    }
}
