#pragma once

// A row of dots, one per page, the current one highlighted. A tap on the
// right half moves to the next page, on the left half to the previous one,
// and sends ValueChanged.
//
// Main thread only.

#include "platform/controls/Control.h"

namespace pf {

class PageControl : public Control {
public:
    explicit PageControl(const Rect& frame = {});

    int numberOfPages() const { return m_pages; }
    void setNumberOfPages(int pages);
    int currentPage() const { return m_current; }
    // Clamped to the pages there are.
    void setCurrentPage(int page);
    bool hidesForSinglePage() const { return m_hidesForSinglePage; }
    void setHidesForSinglePage(bool hides);
    const Color& pageIndicatorTintColor() const { return m_dotColor; }
    void setPageIndicatorTintColor(const Color& color);
    const Color& currentPageIndicatorTintColor() const { return m_currentColor; }
    void setCurrentPageIndicatorTintColor(const Color& color);
    // The centre of a page's dot, in bounds coordinates.
    Point dotCenter(int page) const;

    bool drawsContent() const override { return m_pages > 1 || (m_pages == 1 && !m_hidesForSinglePage); }
    void draw(GraphicsContext& context, const Rect& rect) override;
    void touchesEnded(const TouchSet& touches) override;

private:
    int m_pages = 0;
    int m_current = 0;
    bool m_hidesForSinglePage = false;
    Color m_dotColor = Color::white(1, 0.3);
    Color m_currentColor = Color::whiteColor();
};

}
