#include "framework/data/KRFlowViewLayout.h"

#include "framework/ui/KRLayoutData.h"
#include "platform/controls/ScrollView.h"
#include "platform/ui/View.h"

#include <algorithm>

void KRFlowViewLayout::doLayout()
{
    pf::Size hostSize = size();
    pf::EdgeInsets pad = padding();
    pf::Size area{hostSize.width - pad.left - pad.right, hostSize.height - pad.top - pad.bottom};
    double rightLimit = hostSize.width - pad.right;
    pf::Point cursor{pad.left, pad.top};
    double rowHeight = 0;
    double widest = 0;
    if (auto datas = layoutDatas()) {
        for (const auto& entry : *datas) {
            auto data = entry.objectAs<KRLayoutData>();
            if (!data)
                continue;
            pf::Size fitted = data->frameOfSize(area).size;
            pf::Rect frame{cursor.x, cursor.y, fitted.width, fitted.height};
            if (cursor.x + fitted.width <= rightLimit) {
                cursor.x += fitted.width;
                rowHeight = std::max(rowHeight, fitted.height);
                widest = std::max(widest, cursor.x);
            } else if (rowHeight == 0) {
                // Nothing with a height on this row yet: the view takes a row
                // of its own and the next one starts below it, same x.
                cursor.y += fitted.height;
                widest = std::max(widest, frame.maxX());
            } else {
                cursor = {pad.left, cursor.y + rowHeight};
                frame.origin = cursor;
                cursor.x += fitted.width;
                rowHeight = fitted.height;
                widest = std::max(widest, cursor.x);
            }
            if (data->view())
                data->view()->setFrame(frame);
        }
    }
    pf::Size extent{widest + pad.right, cursor.y + rowHeight + pad.bottom};
    setContentSize(extent);
    if (auto* scroll = dynamic_cast<pf::ScrollView*>(view().get()))
        scroll->setContentSize({0, extent.height});
}
