#include "sdk/zz/UINotifyView.h"

#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

std::shared_ptr<UINotifyView> UINotifyView::notifyViewWithImage(const pf::ImageRef& image, const std::string& text)
{
    auto view = std::make_shared<UINotifyView>();
    view->setImage(image);
    view->setText(text);
    return view;
}

UINotifyView::UINotifyView()
{
    setFrame(defaultFrame());
    m_backgroundView = std::make_shared<pf::View>(bounds());
    m_backgroundView->setCornerRadius(m_roundness);
    m_backgroundView->setBorderWidth(1);
    m_backgroundView->setBorderColor(m_borderColor);
    addSubview(m_backgroundView);
    m_imageView = std::make_shared<pf::ImageView>(pf::Rect());
    addSubview(m_imageView);
    m_textLabel = std::make_shared<pf::Label>(pf::Rect());
    m_textLabel->setFont(pf::Font::boldSystem(14));
    m_textLabel->setTextColor(pf::Color::whiteColor());
    m_textLabel->setTextAlignment(pf::TextAlignment::Center);
    m_textLabel->setNumberOfLines(0);
    addSubview(m_textLabel);
    setCurrentOpacity(0);
}

void UINotifyView::setText(const std::string& text)
{
    m_text = text;
    m_textLabel->setText(text);
    setNeedsLayout();
}

void UINotifyView::setImage(const pf::ImageRef& image)
{
    m_image = image;
    m_imageView->setImage(image);
    setNeedsLayout();
}

void UINotifyView::setRoundness(double roundness)
{
    m_roundness = roundness;
    m_backgroundView->setCornerRadius(roundness);
}

void UINotifyView::setBorderColor(const pf::Color& color)
{
    m_borderColor = color;
    m_backgroundView->setBorderColor(color);
}

void UINotifyView::setCurrentOpacity(double opacity)
{
    m_currentOpacity = opacity;
    double shown = opacity > 0 ? 1 : 0;
    m_imageView->setAlpha(shown);
    m_textLabel->setAlpha(shown);
    m_backgroundView->setBackgroundColor(pf::Color::rgb(0, 0, 0, opacity));
}

void UINotifyView::layoutSubviews()
{
    pf::Rect box = bounds();
    m_backgroundView->setFrame(box);
    pf::Size imageSize;
    if (m_image) {
        // Double-resolution pictures: half their pixels in points.
        imageSize = pf::Size{m_image->pixelWidth() / 2.0, m_image->pixelHeight() / 2.0};
    }
    pf::Size textSize = m_textLabel->sizeThatFits(pf::Size{box.size.width - imageSize.width, box.size.height});
    double x = (box.size.width - imageSize.width - textSize.width) / 2;
    m_imageView->setFrame(pf::Rect(x, (box.size.height - imageSize.height) / 2, imageSize.width, imageSize.height));
    m_textLabel->setFrame(pf::Rect(x + imageSize.width, 0, textSize.width, box.size.height));
}

void UINotifyView::presentWithDuration(double displaySeconds, double fadeSeconds, const pf::ViewRef& view,
                                       std::function<void()> completion)
{
    if (view && superview() != view)
        view->addSubview(std::static_pointer_cast<UINotifyView>(shared_from_this()));
    m_isAnimating = true;
    unsigned generation = ++m_generation;
    std::weak_ptr<UINotifyView> weak = std::static_pointer_cast<UINotifyView>(shared_from_this());
    pf::View::animate(fadeSeconds, [weak] {
        if (auto self = weak.lock())
            self->setCurrentOpacity(self->m_destinationOpacity);
    }, [weak, generation, displaySeconds, fadeSeconds, completion](bool) {
        auto self = weak.lock();
        if (self && self->m_generation == generation)
            self->fadeAfter(displaySeconds, fadeSeconds, completion);
    });
}

void UINotifyView::fadeAfter(double displaySeconds, double fadeSeconds, std::function<void()> completion)
{
    std::weak_ptr<UINotifyView> weak = std::static_pointer_cast<UINotifyView>(shared_from_this());
    unsigned generation = m_generation;
    pf::RunLoop::main().scheduleTimer(pf::Seconds(displaySeconds), false, [weak, generation, fadeSeconds, completion] {
        auto self = weak.lock();
        if (!self || self->m_generation != generation)
            return;
        pf::View::animate(fadeSeconds, [weak] {
            if (auto view = weak.lock())
                view->setCurrentOpacity(0);
        }, [weak, generation, completion](bool) {
            auto view = weak.lock();
            if (!view || view->m_generation != generation)
                return;
            view->m_isAnimating = false;
            if (completion)
                completion();
        });
    });
}
