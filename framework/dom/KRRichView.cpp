#include "framework/dom/KRRichView.h"

#include "framework/dom/KRRich.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

std::shared_ptr<KRRichView> KRRichView::create(const pf::Rect& frame) { return std::make_shared<KRRichView>(frame); }

void KRRichView::setRich(std::shared_ptr<KRRich> rich)
{
    PF_ASSERT_MAIN_THREAD();
    if (rich == m_rich)
        return;
    if (m_rich)
        m_rich->uninstallView();
    m_rich = std::move(rich);
    setNeedsDisplay();
    handleViewElements();
}

void KRRichView::handleViewElements()
{
    if (!m_rich)
        return;
    m_rich->installView(self(), {0, 0, bounds().width(), bounds().height()});
}

void KRRichView::layoutSubviews() { handleViewElements(); }

void KRRichView::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    if (m_rich)
        m_rich->drawContext(context, bounds().size);
}
