#include "app/screens/publish/ZMRClassifyController.h"

#include "app/screens/publish/ZMRClassifyItemControl.h"
#include "app/screens/publish/ZMRStripItems.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/controls/PageControl.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <cmath>
#include <limits>

pf::Color ZMRClassifyController::accentColor() { return pf::Color::rgb(240 / 255.0, 161 / 255.0, 141 / 255.0); }

int ZMRClassifyController::columns(double usableWidth, double itemWidth)
{
    if (!(itemWidth > 0) || !std::isfinite(usableWidth))
        return 1;
    double fit = std::floor(usableWidth / itemWidth);
    if (!(fit >= 1))
        return 1;
    return fit >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(fit);
}

int ZMRClassifyController::page(double offsetX, double width)
{
    if (!(width > 0) || !std::isfinite(offsetX))
        return 0;
    double value = std::trunc(offsetX / width);
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

void ZMRClassifyController::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRController::setContext(std::move(context));
    reloadData();
}

std::shared_ptr<ZMRClassifyItemControl> ZMRClassifyController::makeItem(const pf::Rect& frame)
{
    auto item = std::make_shared<ZMRClassifyItemControl>(frame);
    pf::Color accent = accentColor();
    item->setCornerRadius(2);
    item->setBorderWidth(1);
    item->setBorderColor(accent);
    item->setClipsToBounds(true);
    item->setBackgroundColor(pf::Color::whiteColor());
    pf::ImageRef ground = pf::Image::named("btn4.png");
    item->setBackgroundImage(ground, pf::ControlStates::Selected);
    item->setBackgroundImage(ground, pf::ControlStates::Highlighted);
    item->setTitleFont(pf::Font::boldSystem(13));
    // Long titles wrap rather than lose their middle, and shrink to fit the button.
    item->setTitleLineBreakMode(pf::LineBreakMode::WordWrap);
    item->setTitleNumberOfLines(0);
    item->setTitleMinimumFontSize(9);
    item->setTitleColor(accent, pf::ControlStates::Normal);
    item->setTitleColor(pf::Color::whiteColor(), pf::ControlStates::Highlighted);
    item->setTitleColor(pf::Color::whiteColor(), pf::ControlStates::Selected);
    item->setEnabled(true);
    item->addTarget(shared_from_this(), "itemViewAction",
                    [](pf::Object& target, pf::Control& sender) {
                        if (auto category = dynamic_cast<ZMRClassifyItemControl*>(&sender))
                            static_cast<ZMRClassifyController&>(target).itemViewAction(*category);
                    },
                    pf::ControlEvent::TouchUpInside);
    return item;
}

void ZMRClassifyController::reloadData()
{
    auto categories = m_contentView ? ZMRReadAppTable<ZMRClassifyObject>(context(), "ZMRClassifyObject") : std::nullopt;
    if (!categories)
        return;
    const pf::Rect bounds = m_contentView->bounds();
    const double W = bounds.width(), H = bounds.height();
    const double w = m_itemSize.width, h = m_itemSize.height;
    const double usable = W - m_padding.left - m_padding.right;
    const int perPage = columns(usable, w);
    const double start = m_padding.left + (usable - perPage * w) / 2;
    const pf::EdgeInsets& in = m_itemPadding;
    const double y = in.top + (H - h - in.top - in.bottom) / 2;
    const double width = std::max(0.0, w - in.left - in.right);
    const double height = std::max(0.0, h - in.top - in.bottom);

    ZMRReuseStripItems<ZMRClassifyItemControl, ZMRClassifyObject>(
        *m_contentView, *categories, [&] { return makeItem({}); },
        [&](ZMRClassifyItemControl& item, std::size_t used, const std::shared_ptr<ZMRClassifyObject>& category) {
            const auto index = static_cast<long long>(used);
            const long long pageIndex = index / perPage, column = index % perPage;
            item.setFrame({start + static_cast<double>(pageIndex) * W + static_cast<double>(column) * w, y, width, height});
            item.setDataObject(category);
            item.setTitle(category->title(), pf::ControlStates::Normal);
        });
    const std::size_t used = categories->size();

    const std::size_t pages = used / static_cast<std::size_t>(perPage) + (used % static_cast<std::size_t>(perPage) ? 1 : 0);
    m_contentView->setContentSize({std::max(0.0, static_cast<double>(pages) * W), 0});
    if (m_pageControl)
        m_pageControl->setNumberOfPages(static_cast<int>(pages));
    updatePage();
}

void ZMRClassifyController::updatePage()
{
    if (m_contentView && m_pageControl)
        m_pageControl->setCurrentPage(page(m_contentView->contentOffset().x, m_contentView->bounds().width()));
}

void ZMRClassifyController::scrollViewDidScroll(pf::ScrollView& view)
{
    if (m_pageControl)
        m_pageControl->setCurrentPage(page(view.contentOffset().x, view.bounds().width()));
}

std::vector<std::shared_ptr<ZMRClassifyObject>> ZMRClassifyController::selectedClassifyObjects() const
{
    std::vector<std::shared_ptr<ZMRClassifyObject>> selected;
    if (!m_contentView)
        return selected;
    for (const pf::ViewRef& view : m_contentView->subviews()) {
        auto item = std::dynamic_pointer_cast<ZMRClassifyItemControl>(view);
        if (item && item->isSelected() && item->dataObject())
            selected.push_back(item->dataObject());
    }
    return selected;
}

void ZMRClassifyController::itemViewAction(ZMRClassifyItemControl& sender) { sender.setSelected(!sender.isSelected()); }
