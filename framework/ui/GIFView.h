#pragma once

// Plays an animated GIF from a file URL, one frame at a time, while the
// view is in a window. The frames are decoded once, when the URL is set;
// each frame shows for its own delay, or 0.15 s when it has none. A step
// advances before it shows, so starting shows the frame after the current
// one. URLs other than file URLs, files that are not regular files and
// data that is not a picture give no frames: the view shows nothing and
// schedules nothing.
//
// Main queue only. Steps follow the animation clock.

#include "platform/graphics/ImageCodec.h"
#include "platform/ui/View.h"

#include <optional>
#include <string>
#include <vector>

class GIFView : public pf::View {
public:
    explicit GIFView(const pf::Rect& frame = {});
    ~GIFView() override;

    const std::optional<std::string>& gifURL() const { return m_gifURL; }
    void setGifURL(const std::optional<std::string>& url);
    // The decoded frames, shared by whoever set them.
    void setFrames(std::vector<pf::ImageFrame> frames);
    std::size_t frameCount() const { return m_frames.size(); }
    int currentIndex() const { return m_currentIndex; }
    bool isAnimating() const;

    void startAnimating();
    void stopAnimating();
    // Starts the animation in a window and stops it outside one.
    void didMoveToWindow() override;

    bool drawsContent() const override { return m_shown != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

private:
    void nextAnimating();
    void schedule(double delay);

    std::optional<std::string> m_gifURL;
    std::vector<pf::ImageFrame> m_frames;
    int m_currentIndex = 0;
    pf::BitmapRef m_shown;
    double m_due = 0;
    std::shared_ptr<pf::DisplayLink> m_link;
};
