#include "framework/ui/GIFView.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/Window.h"

#include <cmath>
#include <sys/stat.h>

namespace {
constexpr double kDefaultDelay = 0.15;

std::vector<pf::ImageFrame> decodeFile(const std::string& url)
{
    auto parsed = pf::URL::create(url);
    if (!parsed || parsed->scheme() != "file")
        return {};
    std::string path = parsed->path();
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    auto bytes = pf::readFile(path);
    if (!bytes)
        return {};
    auto frames = pf::decodeImageFrames(bytes->data(), bytes->size());
    return frames ? std::move(frames.value()) : std::vector<pf::ImageFrame>{};
}
}

GIFView::GIFView(const pf::Rect& frame)
    : pf::View(frame)
{
}

GIFView::~GIFView()
{
    if (m_link)
        m_link->invalidate();
}

void GIFView::setGifURL(const std::optional<std::string>& url)
{
    if (url == m_gifURL)
        return;
    m_gifURL = url;
    setFrames(url ? decodeFile(*url) : std::vector<pf::ImageFrame>{});
}

void GIFView::setFrames(std::vector<pf::ImageFrame> frames)
{
    m_frames = std::move(frames);
    stopAnimating();
    if (window())
        startAnimating();
}

bool GIFView::isAnimating() const
{
    return m_link && !m_link->isPaused();
}

void GIFView::startAnimating()
{
    stopAnimating();
    nextAnimating();
}

void GIFView::stopAnimating()
{
    if (m_link)
        m_link->setPaused(true);
}

void GIFView::didMoveToWindow()
{
    if (window())
        startAnimating();
    else
        stopAnimating();
}

void GIFView::nextAnimating()
{
    if (m_frames.empty()) {
        m_shown = nullptr;
        setNeedsDisplay();
        stopAnimating();
        return;
    }
    // The counter survives a new picture: past its end it starts over.
    m_currentIndex = m_currentIndex + 1 >= static_cast<int>(m_frames.size()) ? 0 : m_currentIndex + 1;
    m_shown = m_frames[m_currentIndex].bitmap;
    setNeedsDisplay();
    double delay = m_frames[m_currentIndex].delay;
    schedule(std::isfinite(delay) && delay > 0 ? delay : kDefaultDelay);
}

void GIFView::schedule(double delay)
{
    m_due = pf::AnimationClock::current().now() + delay;
    if (!m_link) {
        std::weak_ptr<pf::View> weakSelf = self();
        m_link = pf::DisplayLink::create([weakSelf](pf::DisplayLink& link) {
            auto view = std::static_pointer_cast<GIFView>(weakSelf.lock());
            // A small allowance, so a delay of whole frames is not a frame late.
            if (view && link.timestamp() + 1e-6 >= view->m_due)
                view->nextAnimating();
        });
    }
    m_link->start();
}

void GIFView::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    if (m_shown)
        context.drawImage(*m_shown, bounds());
}
