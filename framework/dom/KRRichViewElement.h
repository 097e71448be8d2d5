#pragma once

// An inline native view of a rich text: the text keeps its box free and the
// host places the view there. Setting the size (w, h) makes it w wide and h
// high on the baseline. When its user information is a view element, the
// view is that element's current one (a host may hand the element a view
// of its own).

#include "framework/dom/KRRichElement.h"

class KRRichViewElement final : public KRRichElement, public IKRRichViewElement {
public:
    pf::Size size() const { return {m_width, m_ascent + m_descent}; }
    void setSize(pf::Size size);

    double width() const override { return m_width; }
    double ascent() const override { return m_ascent; }
    double descent() const override { return m_descent; }
    pf::ViewRef view() const override;
    void setView(pf::ViewRef view) override { m_view = std::move(view); }

private:
    pf::ViewRef m_view;
    double m_width = 0;
    double m_ascent = 0;
    double m_descent = 0;
};
