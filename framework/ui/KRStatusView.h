#pragma once

// A view that switches groups of views by a status word: the views of the
// item whose status equals the word are shown and their activity
// indicators and animation views started; the views of every other item
// are stopped and hidden. Items apply in order, so a view in several items
// ends as its last item leaves it. A nil word hides every item's views.
//
// Main thread only.

#include "platform/foundation/Collections.h"
#include "platform/ui/View.h"

#include <optional>
#include <string>

// One status word and the views that belong to it (kept).
class KRStatusViewItem : public pf::Object {
public:
    const std::optional<std::string>& status() const { return m_status; }
    void setStatus(std::optional<std::string> status) { m_status = std::move(status); }
    pf::ArrayRef views() const { return m_views; }
    void setViews(pf::ArrayRef views) { m_views = std::move(views); }

private:
    std::optional<std::string> m_status;
    pf::ArrayRef m_views;
};

class KRStatusView : public pf::View {
public:
    explicit KRStatusView(const pf::Rect& frame = {}) : pf::View(frame) {}

    const std::optional<std::string>& status() const { return m_status; }
    // Re-evaluates only when the word changes.
    void setStatus(std::optional<std::string> status);
    // Items are KRStatusViewItem objects; anything else in the list is ignored.
    pf::ArrayRef statusItems() const { return m_statusItems; }
    void setStatusItems(pf::ArrayRef items);

    // Applies the interface file's initial status.
    void awakeFromNib() override;
    void changedStatus();

private:
    std::optional<std::string> m_status;
    pf::ArrayRef m_statusItems;
};
