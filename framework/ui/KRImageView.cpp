#include "framework/ui/KRImageView.h"

#include "platform/graphics/Image.h"


KRImageView::KRImageView(const pf::Rect& frame)
    : pf::ImageView(frame)
{
}

void KRImageView::setSource(const pf::ObjectRef& source)
{
    m_source = source;
    m_sourceIdentity = source.get();
}

void KRImageView::setSrc(std::optional<std::string> src)
{
    if (src == m_src)
        return;
    m_src = std::move(src);
    m_loaded = false;
    show(m_defaultImage);
}

void KRImageView::setImage(const pf::ImageRef& image, bool isLocal)
{
    if (image) {
        m_loaded = true;
        show(image);
        return;
    }
    // A local miss leaves room for the download that follows.
    if (!isLocal)
        m_loaded = true;
    show(m_defaultImage);
}

void KRImageView::setDefaultImage(const pf::ImageRef& image)
{
    if (image == m_defaultImage)
        return;
    // A shown placeholder goes with it; a real picture stays.
    if (m_defaultImage && pf::ImageView::image() == m_defaultImage)
        show(nullptr);
    m_defaultImage = image;
    if (!pf::ImageView::image())
        show(m_defaultImage);
}

void KRImageView::show(const pf::ImageRef& image)
{
    pf::ImageView::setImage(image);
    updateContentsRect();
}

void KRImageView::setImageMode(const std::optional<std::string>& mode)
{
    m_imageMode = mode;
    updateContentsRect();
}

void KRImageView::setBounds(const pf::Rect& bounds)
{
    pf::ImageView::setBounds(bounds);
    updateContentsRect();
}

void KRImageView::updateContentsRect()
{
    const pf::ImageRef& shown = image();
    double W = shown ? shown->pixelWidth() : 0;
    double H = shown ? shown->pixelHeight() : 0;
    double bw = bounds().width(), bh = bounds().height();
    // Empty bounds have no aspect to crop to; the ratio would divide by zero.
    if (!m_imageMode || !(W > 0) || !(H > 0) || !(bw > 0) || !(bh > 0)) {
        setContentsRect(pf::Rect(0, 0, 1, 1));
        return;
    }
    enum Split { None, Half, Start, End }; // where the excess is cut: both sides, the start side, the end side
    struct Mode {
        const char* name;
        Split horizontal; // Start: cut on the left
        Split vertical;   // Start: cut on the top
    };
    static const Mode modes[] = {
        {"center", Half, Half},   {"top", Half, End},        {"bottom", Half, Start},
        {"left", End, Half},      {"right", Start, Half},    {"leftTop", End, End},
        {"rightTop", Start, End}, {"leftBottom", End, Start}, {"rightBottom", Start, Start},
    };
    const Mode* mode = nullptr;
    for (const Mode& m : modes)
        if (*m_imageMode == m.name)
            mode = &m;
    if (!mode) {
        setContentsRect(pf::Rect(0, 0, 1, 1));
        return;
    }
    double r = bh / bw, ir = H / W;
    double left = 0, right = 0, top = 0, bottom = 0;
    auto cut = [](Split split, double excess, double& start, double& end) {
        if (split == Half)
            start = end = excess / 2;
        else if (split == Start)
            start = excess;
        else if (split == End)
            end = excess;
    };
    if (r != ir) {
        if (H < W * r)
            cut(mode->horizontal, W - H / r, left, right);
        else
            cut(mode->vertical, H - W * r, top, bottom);
    }
    setContentsRect(pf::Rect(left / W, top / H, (W - left - right) / W, (H - top - bottom) / H));
}
