#pragma once

// One row of a table: a content view for the row's subviews, a text label,
// a detail label (in the subtitle style) and an image view made on first
// use, a reuse identifier by which the table keeps it for another row, and
// the "删除" button a left swipe reveals.
//
// Main thread only.

#include "platform/ui/View.h"

#include <functional>
#include <string>

namespace pf {

class Button;
class ImageView;
class Label;

enum class TableViewCellStyle { Default, Subtitle };
enum class TableViewCellSelectionStyle { None, Blue, Gray };

class TableViewCell : public View {
public:
    TableViewCell(TableViewCellStyle style, std::string reuseIdentifier);
    TableViewCell() : TableViewCell(TableViewCellStyle::Default, {}) {}

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(const std::string& identifier) { m_reuseIdentifier = identifier; }
    const ViewRef& contentView();
    const std::shared_ptr<Label>& textLabel();
    // Null in the default style.
    const std::shared_ptr<Label>& detailTextLabel();
    const std::shared_ptr<ImageView>& imageView();

    TableViewCellSelectionStyle selectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { m_selectionStyle = style; }
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted, bool animated = false);

    // Called before the table hands the cell out again.
    virtual void prepareForReuse();

    // The delete button slid in from the right; the action runs on its tap.
    void showDeleteConfirmation(const std::string& title, std::function<void()> action);
    void hideDeleteConfirmation();
    bool isShowingDeleteConfirmation() const { return m_deleteButton != nullptr; }
    const std::shared_ptr<Button>& deleteConfirmationButton() const { return m_deleteButton; }
    // While a finger swipes the row: the content follows it left by `travel`
    // (negative; held to the delete button's width) over a strip in the delete
    // button's colour, so no blank gap opens; 0 puts the content back.
    void setSwipeTravel(double travel);
    double swipeTravel() const { return m_swipeTravel; }

    void layoutSubviews() override;
    ViewRef hitTest(Point p) override;
    std::string textContent() const override;

private:
    // Subviews join the tree once the cell is owned: a view cannot link
    // its subviews back to itself inside its constructor.
    void attachSubviews();
    void updateSelectionColor();

    TableViewCellStyle m_style;
    std::string m_reuseIdentifier;
    ViewRef m_contentView;
    std::shared_ptr<Label> m_textLabel;
    std::shared_ptr<Label> m_detailLabel;
    std::shared_ptr<ImageView> m_imageView;
    std::shared_ptr<Button> m_deleteButton;
    ViewRef m_swipeStrip;
    double m_swipeTravel = 0;
    TableViewCellSelectionStyle m_selectionStyle = TableViewCellSelectionStyle::Blue;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_attached = false;
};

}
