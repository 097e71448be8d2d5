#pragma once

// A spinning wheel of twelve spokes, turned one spoke every twelfth of a
// second on the animation clock while animating. Hidden while stopped
// unless told otherwise.
//
// Main thread only.

#include "platform/ui/View.h"

namespace pf {

enum class ActivityIndicatorViewStyle { WhiteLarge, White, Gray };

class ActivityIndicatorView : public View {
public:
    explicit ActivityIndicatorView(ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);
    ~ActivityIndicatorView() override;

    ActivityIndicatorViewStyle style() const { return m_style; }
    void setStyle(ActivityIndicatorViewStyle style);
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }
    void setAnimating(bool animating) { animating ? startAnimating() : stopAnimating(); }
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);
    // The spoke drawn brightest, 0 to 11.
    int phase() const { return m_phase; }

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;

private:
    ActivityIndicatorViewStyle m_style;
    bool m_animating = false;
    bool m_hidesWhenStopped = true;
    int m_phase = 0;
    double m_started = 0;
    std::shared_ptr<DisplayLink> m_link;
};

}
