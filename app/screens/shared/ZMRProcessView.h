#pragma once

// A thin horizontal progress bar with a small tip that rides above the
// bar's end and shows a text: the native view of a markup element in list
// documents, whose "process" attribute gives the filled fraction and
// "title" the tip's text.
//
// The tip is 48 x 20, wider (the text plus 12) for a text wider than 36;
// the track runs under the tip's centre at both ends, so the fill's end and
// the tip's centre meet. A fraction outside 0 to 1 is applied as it is (the
// fill and the tip leave the track); one that is not a finite number counts
// as 0, so no frame ever holds one.
//
// Main queue only.

#include "framework/dom/ViewKRDOMElement.h"
#include "platform/ui/View.h"

#include <optional>
#include <string>

namespace pf {
class Button;
class TextMeasurer;
}

class ZMRProcessView : public pf::View, public KRDOMElementDressable {
public:
    explicit ZMRProcessView(const pf::Rect& frame = {});

    double process() const { return m_process; }
    void setProcess(double process);
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(const std::optional<std::string>& title);

    // The view dressing, then "process" (a number, 0 when absent) and "title";
    // no element resets both as an element without them would.
    void setElement(const KRDOMElementRef& element) override;

    const pf::ViewRef& bgView() const { return m_bgView; }
    const pf::ViewRef& processView() const { return m_processView; }
    const std::shared_ptr<pf::Button>& tipButton() const { return m_tipButton; }

    // Where tip texts are measured; the system's by default (tests use fixed metrics).
    void setTextMeasurer(const pf::TextMeasurer* measurer) { m_measurer = measurer; }

private:
    pf::ViewRef m_bgView;
    pf::ViewRef m_processView;
    std::shared_ptr<pf::Button> m_tipButton;
    std::optional<std::string> m_title;
    double m_process = 0;
    const pf::TextMeasurer* m_measurer = nullptr;
};
