#include "platform/controls/SegmentedControl.h"

#include "platform/foundation/Collections.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace pf {

SegmentedControl::SegmentedControl(const Rect& frame)
    : Control(frame)
{
}

SegmentedControl::SegmentedControl(std::vector<std::string> titles)
    : Control(Rect(0, 0, 60.0 * titles.size(), 29))
    , m_titles(std::move(titles))
{
}

void SegmentedControl::setTitles(std::vector<std::string> titles)
{
    m_titles = std::move(titles);
    if (m_selected >= numberOfSegments())
        m_selected = NoSegment;
    setNeedsDisplay();
}

ArrayRef SegmentedControl::titleList() const
{
    auto list = Array::create();
    for (auto& t : m_titles)
        list->add(Value(t));
    return list;
}

void SegmentedControl::setTitleList(const ArrayRef& titles)
{
    std::vector<std::string> list;
    for (std::size_t i = 0; titles && i < titles->count(); ++i)
        list.push_back(titles->at(i).stringOr());
    setTitles(std::move(list));
}

void SegmentedControl::setTitle(const std::string& title, int segment)
{
    if (segment < 0 || segment >= numberOfSegments())
        return;
    m_titles[segment] = title;
    setNeedsDisplay();
}

std::string SegmentedControl::titleForSegmentAtIndex(int segment) const
{
    return segment >= 0 && segment < numberOfSegments() ? m_titles[segment] : std::string();
}

void SegmentedControl::insertSegmentWithTitle(const std::string& title, int segment)
{
    segment = std::clamp(segment, 0, numberOfSegments());
    m_titles.insert(m_titles.begin() + segment, title);
    if (m_selected >= segment)
        ++m_selected;
    setNeedsDisplay();
}

void SegmentedControl::removeSegmentAtIndex(int segment)
{
    if (segment < 0 || segment >= numberOfSegments())
        return;
    m_titles.erase(m_titles.begin() + segment);
    if (m_selected == segment)
        m_selected = NoSegment;
    else if (m_selected > segment)
        --m_selected;
    setNeedsDisplay();
}

void SegmentedControl::setSelectedSegmentIndex(int segment)
{
    if (segment != NoSegment && (segment < 0 || segment >= numberOfSegments()))
        return;
    if (segment == m_selected)
        return;
    m_selected = segment;
    setNeedsDisplay();
}

void SegmentedControl::setTintColor(const Color& color)
{
    m_tint = color;
    setNeedsDisplay();
}

int SegmentedControl::segmentAtX(double x) const
{
    if (m_titles.empty() || bounds().width() <= 0)
        return NoSegment;
    double w = bounds().width() / numberOfSegments();
    int index = static_cast<int>(std::floor((x - bounds().x()) / w));
    return index >= 0 && index < numberOfSegments() ? index : NoSegment;
}

void SegmentedControl::draw(GraphicsContext& context, const Rect&)
{
    Rect b = bounds();
    context.strokeRoundedRect(b.insetBy(0.5, 0.5), 4, m_tint, 1);
    if (m_titles.empty())
        return;
    double w = b.width() / numberOfSegments();
    TextStyle style;
    style.font = m_font;
    style.alignment = TextAlignment::Center;
    style.numberOfLines = 1;
    style.lineBreak = LineBreakMode::TruncateTail;
    double textHeight = TextMeasurer::system().measure("Ag", style, 0).height;
    for (int i = 0; i < numberOfSegments(); ++i) {
        Rect segment(b.x() + i * w, b.y(), w, b.height());
        bool on = i == m_selected;
        if (on)
            context.fillRect(segment, m_tint);
        else if (i > 0)
            context.fillRect(Rect(segment.x(), b.y(), 1, b.height()), m_tint);
        style.color = on ? Color::whiteColor() : m_tint;
        drawText(context, m_titles[i], Rect(segment.x(), b.y() + (b.height() - textHeight) / 2, w, textHeight), style);
    }
}

void SegmentedControl::touchesEnded(const TouchSet& touches)
{
    bool tracking = isTracking();
    auto keep = self();
    int chosen = NoSegment;
    if (tracking && !touches.empty()) {
        Point p = touches.front()->locationInView(this);
        if (bounds().contains(p))
            chosen = segmentAtX(p.x);
    }
    Control::touchesEnded(touches);
    if (chosen == NoSegment)
        return;
    bool changed = chosen != m_selected;
    setSelectedSegmentIndex(chosen);
    if (changed || m_momentary)
        sendActionsForControlEvents(ControlEvent::ValueChanged);
    if (m_momentary)
        setSelectedSegmentIndex(NoSegment);
}

std::string SegmentedControl::textContent() const
{
    std::string text;
    for (auto& t : m_titles)
        text += (text.empty() ? "" : " ") + t;
    return text;
}

}
