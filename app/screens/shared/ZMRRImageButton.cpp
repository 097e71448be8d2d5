#include "app/screens/shared/ZMRRImageButton.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"

ZMRRImageButton::ZMRRImageButton(const pf::Rect& frame)
    : KRButton(frame)
    , m_measurer(&pf::TextMeasurer::system())
{
}

void ZMRRImageButton::awakeFromNib()
{
    KRButton::awakeFromNib();
    resetEdgeInsets();
}

void ZMRRImageButton::setTitle(const std::optional<std::string>& title, pf::ControlState state)
{
    KRButton::setTitle(title, state);
    resetEdgeInsets();
}

void ZMRRImageButton::setImage(const pf::ImageRef& image, pf::ControlState state)
{
    KRButton::setImage(image, state);
    resetEdgeInsets();
}

pf::Value ZMRRImageButton::imageValue() const
{
    pf::ImageRef image = imageForState(pf::ControlStates::Normal);
    return image ? pf::Value(pf::ObjectRef(image)) : pf::Value();
}

void ZMRRImageButton::setImageValue(const pf::Value& value)
{
    if (value.isNilOrNull())
        setImage(nullptr, pf::ControlStates::Normal);
    else if (const std::string* name = value.string())
        setImage(pf::Image::named(*name), pf::ControlStates::Normal);
    else if (auto image = value.objectAs<pf::Image>())
        setImage(image, pf::ControlStates::Normal);
}

void ZMRRImageButton::resetEdgeInsets()
{
    setTitleLineBreakMode(pf::LineBreakMode::TruncateTail);
    pf::ImageRef image = imageForState(pf::ControlStates::Normal);
    double iw = image ? image->size().width : 0;
    if (!(iw > 0)) {
        setTitleEdgeInsets({});
        setImageEdgeInsets({});
        return;
    }
    double tw = 0;
    if (auto title = titleForState(pf::ControlStates::Normal)) {
        pf::TextStyle style;
        style.font = titleFont();
        style.lineBreak = titleLineBreakMode();
        style.numberOfLines = 1;
        tw = m_measurer->measure(*title, style, bounds().width()).width;
    }
    setTitleEdgeInsets({0, -iw, 0, iw});
    if (contentHorizontalAlignment() == pf::ContentHorizontalAlignment::Center)
        setImageEdgeInsets({0, 0, 0, -2 * (tw + iw)});
    else
        setImageEdgeInsets({0, tw, 0, 0});
}
