#include "platform/controls/TableViewCell.h"

#include <algorithm>

#include "platform/controls/Button.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/graphics/Image.h"

namespace pf {

namespace {
constexpr double kDeleteButtonWidth = 82;
constexpr double kMargin = 10;
Color deleteColor() { return Color::fromRgbHex(0xe0322c); }
}

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : View(Rect(0, 0, 320, 44))
    , m_style(style)
    , m_reuseIdentifier(std::move(reuseIdentifier))
{
    setBackgroundColor(Color::whiteColor());
    m_contentView = View::create(bounds());
    m_contentView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
}

void TableViewCell::attachSubviews()
{
    if (m_attached || !self())
        return;
    m_attached = true;
    insertSubview(m_contentView, 0);
}

const ViewRef& TableViewCell::contentView()
{
    attachSubviews();
    return m_contentView;
}

ViewRef TableViewCell::hitTest(Point p)
{
    attachSubviews();
    return View::hitTest(p);
}

const std::shared_ptr<Label>& TableViewCell::textLabel()
{
    attachSubviews();
    if (!m_textLabel) {
        m_textLabel = std::make_shared<Label>();
        m_textLabel->setFont(Font::boldSystem(m_style == TableViewCellStyle::Subtitle ? 17 : 18));
        m_textLabel->setUserInteractionEnabled(false);
        m_contentView->addSubview(m_textLabel);
        setNeedsLayout();
    }
    return m_textLabel;
}

const std::shared_ptr<Label>& TableViewCell::detailTextLabel()
{
    attachSubviews();
    if (!m_detailLabel && m_style == TableViewCellStyle::Subtitle) {
        m_detailLabel = std::make_shared<Label>();
        m_detailLabel->setFont(Font::system(14));
        m_detailLabel->setTextColor(Color::white(0.5));
        m_detailLabel->setUserInteractionEnabled(false);
        m_contentView->addSubview(m_detailLabel);
        setNeedsLayout();
    }
    return m_detailLabel;
}

const std::shared_ptr<ImageView>& TableViewCell::imageView()
{
    attachSubviews();
    if (!m_imageView) {
        m_imageView = std::make_shared<ImageView>();
        m_contentView->addSubview(m_imageView);
        setNeedsLayout();
    }
    return m_imageView;
}

void TableViewCell::setSelected(bool selected, bool)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    updateSelectionColor();
}

void TableViewCell::setHighlighted(bool highlighted, bool)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    updateSelectionColor();
}

void TableViewCell::updateSelectionColor()
{
    bool marked = (m_selected || m_highlighted) && m_selectionStyle != TableViewCellSelectionStyle::None;
    if (!marked) {
        m_contentView->setBackgroundColor(std::nullopt);
        return;
    }
    m_contentView->setBackgroundColor(m_selectionStyle == TableViewCellSelectionStyle::Blue
                                          ? Color::fromRgbHex(0x058cf5)
                                          : Color::white(0.85));
}

void TableViewCell::prepareForReuse()
{
    setSwipeTravel(0);
    hideDeleteConfirmation();
    setSelected(false);
    setHighlighted(false);
}

void TableViewCell::showDeleteConfirmation(const std::string& title, std::function<void()> action)
{
    attachSubviews();
    if (m_deleteButton)
        return;
    setSwipeTravel(0);
    m_deleteButton = std::make_shared<Button>();
    m_deleteButton->setTitle(title, ControlStates::Normal);
    m_deleteButton->setBackgroundColor(deleteColor());
    m_deleteButton->addAction([action = std::move(action)](Control&) {
        if (action)
            action();
    }, ControlEvent::TouchUpInside);
    addSubview(m_deleteButton);
    setNeedsLayout();
    layoutIfNeeded();
}

void TableViewCell::hideDeleteConfirmation()
{
    if (!m_deleteButton)
        return;
    m_deleteButton->removeFromSuperview();
    m_deleteButton = nullptr;
    setNeedsLayout();
}

void TableViewCell::setSwipeTravel(double travel)
{
    attachSubviews();
    travel = std::clamp(travel, -kDeleteButtonWidth, 0.0);
    if (travel == m_swipeTravel)
        return;
    m_swipeTravel = travel;
    if (travel < 0 && !m_swipeStrip) {
        m_swipeStrip = View::create(Rect());
        m_swipeStrip->setBackgroundColor(deleteColor());
        m_swipeStrip->setUserInteractionEnabled(false);
        addSubview(m_swipeStrip);
    } else if (travel == 0 && m_swipeStrip) {
        m_swipeStrip->removeFromSuperview();
        m_swipeStrip = nullptr;
    }
    setNeedsLayout();
    layoutIfNeeded();
}

void TableViewCell::layoutSubviews()
{
    attachSubviews();
    Rect b = bounds();
    double shift = m_deleteButton ? kDeleteButtonWidth : -m_swipeTravel;
    if (m_swipeStrip)
        m_swipeStrip->setFrame(Rect(b.width() - shift, 0, shift, b.height()));
    m_contentView->setFrame(Rect(-shift, 0, b.width(), b.height()));
    if (m_deleteButton)
        m_deleteButton->setFrame(Rect(b.width() - kDeleteButtonWidth, 0, kDeleteButtonWidth, b.height()));

    double x = kMargin;
    if (m_imageView && m_imageView->image()) {
        Size s = m_imageView->image()->size();
        m_imageView->setFrame(Rect(x, (b.height() - s.height) / 2, s.width, s.height));
        x += s.width + kMargin;
    }
    double width = std::max(0.0, b.width() - x - kMargin);
    bool detail = m_detailLabel && !m_detailLabel->text().empty();
    if (m_textLabel)
        m_textLabel->setFrame(detail ? Rect(x, 2, width, b.height() * 0.55) : Rect(x, 0, width, b.height()));
    if (m_detailLabel)
        m_detailLabel->setFrame(Rect(x, b.height() * 0.55, width, b.height() * 0.4));
}

std::string TableViewCell::textContent() const
{
    return m_textLabel ? m_textLabel->text() : std::string();
}

}
