#pragma once

// The pull-to-refresh and load-more indicator of a list: a button whose
// parts (arrow, four direction titles, loading view and title, time label)
// come from its interface file. The list controller sets the direction,
// the drag progress and when loading starts and stops; the view only shows
// or hides its parts and turns the arrow. Direction 0 is down, 1 up, 2 left,
// 3 right. While loading, no direction title shows.
//
// Main queue only.

#include "platform/controls/Button.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/graphics/Image.h"

#include <memory>

class KRDragLoadingView : public pf::Button {
public:
    explicit KRDragLoadingView(const pf::Rect& frame = {}) : pf::Button(frame) {}

    // The default arrow, pointing down, drawn once on first use.
    static pf::ImageRef defaultArrowImage();
    // An arrow view the file left without a picture gets the default arrow.
    void awakeFromNib() override;

    bool isAnimating() const { return m_animating; }
    int direct() const { return m_direct; }
    // Other values than 0 to 3 are stored and change nothing.
    void setDirect(int direct);
    double offsetValue() const { return m_offsetValue; }
    // Passed on to a loading view that takes an "offsetValue" key.
    void setOffsetValue(double value);
    void startAnimation();
    void stopAnimation();

    std::shared_ptr<pf::ImageView> directImageView() const { return m_directImageView; }
    void setDirectImageView(std::shared_ptr<pf::ImageView> view) { m_directImageView = std::move(view); }
    std::shared_ptr<pf::Label> downTitleLabel() const { return m_titles[0]; }
    void setDownTitleLabel(std::shared_ptr<pf::Label> label) { m_titles[0] = std::move(label); }
    std::shared_ptr<pf::Label> upTitleLabel() const { return m_titles[1]; }
    void setUpTitleLabel(std::shared_ptr<pf::Label> label) { m_titles[1] = std::move(label); }
    std::shared_ptr<pf::Label> leftTitleLabel() const { return m_titles[2]; }
    void setLeftTitleLabel(std::shared_ptr<pf::Label> label) { m_titles[2] = std::move(label); }
    std::shared_ptr<pf::Label> rightTitleLabel() const { return m_titles[3]; }
    void setRightTitleLabel(std::shared_ptr<pf::Label> label) { m_titles[3] = std::move(label); }
    std::shared_ptr<pf::View> loadingView() const { return m_loadingView; }
    void setLoadingView(std::shared_ptr<pf::View> view) { m_loadingView = std::move(view); }
    std::shared_ptr<pf::Label> loadingTitleLabel() const { return m_loadingTitleLabel; }
    void setLoadingTitleLabel(std::shared_ptr<pf::Label> label) { m_loadingTitleLabel = std::move(label); }
    // Written by the list controllers; the view never sets it.
    std::shared_ptr<pf::Label> timeLabel() const { return m_timeLabel; }
    void setTimeLabel(std::shared_ptr<pf::Label> label) { m_timeLabel = std::move(label); }

private:
    void applyDirect();
    void showDirectionTitles(bool anyShown);

    bool m_animating = false;
    int m_direct = 0;
    double m_offsetValue = 0;
    std::shared_ptr<pf::ImageView> m_directImageView;
    std::shared_ptr<pf::Label> m_titles[4];
    std::shared_ptr<pf::View> m_loadingView;
    std::shared_ptr<pf::Label> m_loadingTitleLabel;
    std::shared_ptr<pf::Label> m_timeLabel;
};
