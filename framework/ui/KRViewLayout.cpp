#include "framework/ui/KRViewLayout.h"

#include "framework/ui/KRLayoutData.h"
#include "platform/controls/ScrollView.h"
#include "platform/ui/View.h"

#include <algorithm>

void KRViewLayout::setLayoutDatas(pf::ArrayRef datas)
{
    if (datas == m_layoutDatas)
        return;
    m_layoutDatas = std::move(datas);
    m_needsLayout = true;
}

void KRViewLayout::layout()
{
    pf::Size size;
    if (m_view) {
        size = m_view->bounds().size;
        if (auto* scroll = dynamic_cast<pf::ScrollView*>(m_view.get())) {
            size.width = std::max(size.width, scroll->contentSize().width);
            size.height = std::max(size.height, scroll->contentSize().height);
        }
    }
    if (size == m_size && !m_needsLayout)
        return;
    m_size = size;
    doLayout();
}

void KRViewLayout::doLayout()
{
    pf::Size area{m_size.width - m_padding.left - m_padding.right, m_size.height - m_padding.top - m_padding.bottom};
    pf::Point origin{m_padding.left, m_padding.top};
    pf::Size extent;
    if (m_layoutDatas) {
        for (const auto& entry : *m_layoutDatas) {
            auto data = entry.objectAs<KRLayoutData>();
            if (!data)
                continue;
            pf::Rect frame = data->frameOfSize(area, origin);
            frame.origin = frame.origin + origin;
            if (data->view())
                data->view()->setFrame(frame);
            extent.width = std::max(extent.width, frame.maxX() + m_padding.right);
            extent.height = std::max(extent.height, frame.maxY() + m_padding.bottom);
        }
    }
    setContentSize(extent);
}
