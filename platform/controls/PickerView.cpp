#include "platform/controls/PickerView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace pf {

PickerView::PickerView(const Rect& frame)
    : View(frame)
{
    setBackgroundColor(Color::whiteColor());
    setClipsToBounds(true);
}

void PickerView::setDataSourceObject(const ObjectRef& object)
{
    m_dataSourceObject = object;
    m_dataSource = std::dynamic_pointer_cast<PickerViewDataSource>(object);
    reloadAllComponents();
}

void PickerView::setDelegateObject(const ObjectRef& object)
{
    m_delegateObject = object;
    m_delegate = std::dynamic_pointer_cast<PickerViewDelegate>(object);
    setNeedsDisplay();
}

void PickerView::setDataSource(const std::shared_ptr<PickerViewDataSource>& dataSource)
{
    m_dataSource = dataSource;
    m_dataSourceObject = std::dynamic_pointer_cast<Object>(dataSource);
    reloadAllComponents();
}

void PickerView::setDelegate(const std::shared_ptr<PickerViewDelegate>& delegate)
{
    m_delegate = delegate;
    m_delegateObject = std::dynamic_pointer_cast<Object>(delegate);
    setNeedsDisplay();
}

void PickerView::reloadAllComponents()
{
    auto source = m_dataSource.lock();
    int count = source ? std::max(0, source->numberOfComponentsInPickerView(*this)) : 0;
    m_wheels.resize(count);
    for (int c = 0; c < count; ++c)
        reloadComponent(c);
    setNeedsDisplay();
}

void PickerView::reloadComponent(int component)
{
    auto source = m_dataSource.lock();
    if (!source || component < 0 || component >= numberOfComponents())
        return;
    Wheel& wheel = m_wheels[component];
    wheel.rows = std::max(0, source->pickerViewNumberOfRowsInComponent(*this, component));
    wheel.selected = std::clamp(wheel.selected, 0, std::max(0, wheel.rows - 1));
    wheel.offset = 0;
    setNeedsDisplay();
}

int PickerView::numberOfRowsInComponent(int component) const
{
    return component >= 0 && component < numberOfComponents() ? m_wheels[component].rows : 0;
}

int PickerView::selectedRowInComponent(int component) const
{
    if (component < 0 || component >= numberOfComponents() || m_wheels[component].rows == 0)
        return -1;
    return m_wheels[component].selected;
}

void PickerView::selectRow(int row, int component, bool)
{
    if (component < 0 || component >= numberOfComponents())
        return;
    Wheel& wheel = m_wheels[component];
    wheel.selected = std::clamp(row, 0, std::max(0, wheel.rows - 1));
    wheel.offset = 0;
    setNeedsDisplay();
}

Rect PickerView::componentRect(int component) const
{
    Rect b = bounds();
    auto delegate = m_delegate.lock();
    std::vector<double> widths(numberOfComponents(), 0);
    double fixed = 0;
    int flexible = 0;
    for (int c = 0; c < numberOfComponents(); ++c) {
        double w = delegate ? delegate->pickerViewWidthForComponent(const_cast<PickerView&>(*this), c) : 0;
        widths[c] = std::isfinite(w) && w > 0 ? w : 0;
        fixed += widths[c];
        flexible += widths[c] == 0;
    }
    double share = flexible ? std::max(0.0, b.width() - fixed) / flexible : 0;
    double x = b.x();
    for (int c = 0; c < component; ++c)
        x += widths[c] ? widths[c] : share;
    return Rect(x, b.y(), widths[component] ? widths[component] : share, b.height());
}

int PickerView::componentAtX(double x) const
{
    for (int c = 0; c < numberOfComponents(); ++c) {
        Rect r = componentRect(c);
        if (x >= r.minX() && x < r.maxX())
            return c;
    }
    return -1;
}

std::string PickerView::titleFor(int row, int component) const
{
    auto delegate = m_delegate.lock();
    return delegate ? delegate->pickerViewTitleForRow(const_cast<PickerView&>(*this), row, component) : std::string();
}

void PickerView::draw(GraphicsContext& context, const Rect&)
{
    Rect b = bounds();
    double bandTop = b.midY() - RowHeight / 2;
    context.fillRect(Rect(b.x(), bandTop, b.width(), RowHeight), Color::white(0.93));
    TextStyle style;
    style.font = m_font;
    style.alignment = TextAlignment::Center;
    style.numberOfLines = 1;
    style.lineBreak = LineBreakMode::TruncateTail;
    for (int c = 0; c < numberOfComponents(); ++c) {
        const Wheel& wheel = m_wheels[c];
        Rect column = componentRect(c);
        // Narrow wheels take a smaller font, so a year still shows whole.
        style.font = m_font.withSize(std::clamp(column.width() / 4.2, 11.0, m_font.size()));
        double textHeight = TextMeasurer::system().measure("0", style, 0).height;
        int reach = static_cast<int>(b.height() / RowHeight / 2) + 2;
        for (int row = wheel.selected - reach; row <= wheel.selected + reach; ++row) {
            if (row < 0 || row >= wheel.rows)
                continue;
            double y = bandTop + (row - wheel.selected) * RowHeight + wheel.offset;
            double distance = std::abs(y - bandTop) / (b.height() / 2);
            style.color = Color::black().withAlpha(std::max(0.25, 1 - distance));
            drawText(context, titleFor(row, c), Rect(column.x(), y + (RowHeight - textHeight) / 2, column.width(), textHeight),
                     style);
        }
    }
}

std::string PickerView::textContent() const
{
    std::string text;
    for (int c = 0; c < numberOfComponents(); ++c)
        if (m_wheels[c].rows > 0) {
            if (!text.empty())
                text += ' ';
            text += titleFor(m_wheels[c].selected, c);
        }
    return text;
}

void PickerView::touchesBegan(const TouchSet& touches)
{
    if (touches.empty())
        return;
    Point p = touches.front()->locationInView(this);
    m_dragComponent = componentAtX(p.x);
    m_dragStartY = p.y;
}

void PickerView::touchesMoved(const TouchSet& touches)
{
    if (m_dragComponent < 0 || touches.empty())
        return;
    m_wheels[m_dragComponent].offset = touches.front()->locationInView(this).y - m_dragStartY;
    setNeedsDisplay();
}

void PickerView::touchesEnded(const TouchSet& touches)
{
    if (m_dragComponent < 0 || touches.empty())
        return;
    Point p = touches.front()->locationInView(this);
    Wheel& wheel = m_wheels[m_dragComponent];
    wheel.offset = p.y - m_dragStartY;
    // A tap on a row above or below the band turns the wheel to it.
    if (std::abs(wheel.offset) < 4)
        wheel.offset = -std::round((p.y - bounds().midY()) / RowHeight) * RowHeight;
    settle(true);
}

void PickerView::touchesCancelled(const TouchSet&)
{
    if (m_dragComponent < 0)
        return;
    settle(true);
}

void PickerView::settle(bool notify)
{
    int component = std::exchange(m_dragComponent, -1);
    if (component < 0 || component >= numberOfComponents())
        return; // reloaded to fewer wheels mid-drag
    Wheel& wheel = m_wheels[component];
    int before = wheel.selected;
    int moved = static_cast<int>(std::lround(-wheel.offset / RowHeight));
    wheel.selected = std::clamp(wheel.selected + moved, 0, std::max(0, wheel.rows - 1));
    wheel.offset = 0;
    setNeedsDisplay();
    if (!notify || wheel.rows == 0 || wheel.selected == before)
        return;
    auto keep = self();
    if (auto delegate = m_delegate.lock())
        delegate->pickerViewDidSelectRow(*this, wheel.selected, component);
}

}
