#include "platform/controls/NavigationBar.h"

#include "platform/foundation/Collections.h"

#include "platform/controls/Control.h"
#include "platform/controls/Label.h"

#include <algorithm>

namespace pf {

ArrayRef NavigationBar::itemList() const
{
    auto list = Array::create();
    for (auto& item : m_items)
        list->add(Value(ObjectRef(item)));
    return list;
}

void NavigationBar::setItemList(const ArrayRef& list)
{
    std::vector<std::shared_ptr<NavigationItem>> items;
    for (std::size_t i = 0; list && i < list->count(); ++i)
        if (auto item = list->at(i).objectAs<NavigationItem>())
            items.push_back(item);
    setItems(std::move(items));
}

namespace {
constexpr double kSideMargin = 5;
}

NavigationBar::NavigationBar(const Rect& frame)
    : View(frame)
{
    setBackgroundColor(Color::white(0.97));
}

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items)
{
    std::erase(items, nullptr);
    m_items = std::move(items);
    itemsDidChange();
}

void NavigationBar::pushNavigationItem(const std::shared_ptr<NavigationItem>& item, bool)
{
    if (!item)
        return;
    m_items.push_back(item);
    itemsDidChange();
}

std::shared_ptr<NavigationItem> NavigationBar::popNavigationItem(bool)
{
    if (m_items.empty())
        return nullptr;
    auto top = m_items.back();
    m_items.pop_back();
    itemsDidChange();
    return top;
}

std::shared_ptr<NavigationItem> NavigationBar::backItem() const
{
    return m_items.size() >= 2 ? m_items[m_items.size() - 2] : nullptr;
}

void NavigationBar::setTintColor(const Color& color)
{
    m_tint = color;
    itemsDidChange();
}

void NavigationBar::setTitleColor(const Color& color)
{
    m_titleColor = color;
    itemsDidChange();
}

void NavigationBar::itemsDidChange()
{
    for (auto& v : m_shown)
        v->removeFromSuperview();
    m_shown.clear();
    m_left = m_right = m_title = nullptr;
    m_builtFrom = buildKey();
    for (auto& item : m_items)
        item->setBar(self());
    auto top = topItem();
    if (!top) {
        setNeedsLayout();
        return;
    }
    if (top->titleView()) {
        m_title = top->titleView();
    } else {
        auto label = std::make_shared<Label>();
        label->setText(top->title());
        label->setFont(Font::boldSystem(18));
        label->setTextColor(m_titleColor);
        label->setTextAlignment(TextAlignment::Center);
        m_title = label;
    }
    auto left = top->leftBarButtonItem();
    bool isBack = false;
    if (!left && !top->hidesBackButton())
        if (auto back = backItem()) {
            left = back->backBarButtonItem() ? back->backBarButtonItem()
                                             : std::make_shared<BarButtonItem>(back->title().empty() ? "返回" : back->title(),
                                                                               BarButtonItemStyle::Bordered);
            isBack = true;
        }
    m_left = makeBarButtonView(left, m_tint);
    if (auto control = std::dynamic_pointer_cast<Control>(m_left); control && isBack) {
        std::weak_ptr<View> weakBar = self();
        control->addAction([weakBar](Control&) {
            auto bar = std::static_pointer_cast<NavigationBar>(weakBar.lock());
            if (bar && bar->m_backAction) {
                auto action = bar->m_backAction; // the action may replace the bar's items
                action();
            }
        }, ControlEvent::TouchUpInside);
    }
    m_right = makeBarButtonView(top->rightBarButtonItem(), m_tint);
    for (auto& v : {m_title, m_left, m_right})
        if (v) {
            addSubview(v);
            m_shown.push_back(v);
        }
    setNeedsLayout();
}

std::vector<const void*> NavigationBar::buildKey() const
{
    auto top = topItem();
    if (!top)
        return {};
    auto back = backItem();
    return {top.get(), top->leftBarButtonItem().get(), top->rightBarButtonItem().get(), top->titleView().get(),
            back.get(), back ? back->backBarButtonItem().get() : nullptr,
            reinterpret_cast<const void*>(std::hash<std::string>{}(top->title()) * 2 + top->hidesBackButton())};
}

void NavigationBar::layoutSubviews()
{
    if (buildKey() != m_builtFrom)
        itemsDidChange();
    Rect b = bounds();
    double leftWidth = m_left ? m_left->frame().width() : 0;
    double rightWidth = m_right ? m_right->frame().width() : 0;
    if (m_left)
        m_left->setFrame(Rect(kSideMargin, (b.height() - m_left->frame().height()) / 2, leftWidth, m_left->frame().height()));
    if (m_right)
        m_right->setFrame(Rect(b.width() - kSideMargin - rightWidth, (b.height() - m_right->frame().height()) / 2, rightWidth,
                               m_right->frame().height()));
    if (m_title) {
        // Centred on the bar, narrowed equally so it clears both sides.
        double side = std::max(leftWidth, rightWidth) + 2 * kSideMargin;
        double width = std::max(0.0, b.width() - 2 * side);
        double height = m_title->frame().height() > 0 && m_title->frame().height() < b.height() ? m_title->frame().height() : b.height();
        if (std::dynamic_pointer_cast<Label>(m_title))
            height = b.height();
        m_title->setFrame(Rect(side, (b.height() - height) / 2, width, height));
    }
}

std::string NavigationBar::textContent() const
{
    auto top = topItem();
    return top ? top->title() : std::string();
}

}
