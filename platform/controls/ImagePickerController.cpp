#include "platform/controls/ImagePickerController.h"

#include "platform/controls/Button.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/controls/PhotoAlbum.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kBar = 44;
constexpr int kColumns = 4;
constexpr double kGap = 2;

// The centred square of the picture, as an edited pick gives it.
ImageRef squareOf(const Image& image)
{
    int side = std::min(image.pixelWidth(), image.pixelHeight());
    auto bitmap = Bitmap::create(side, side, image.scale());
    if (!bitmap || !image.bitmap())
        return nullptr;
    auto context = GraphicsContext::create(*bitmap.value());
    if (!context)
        return nullptr;
    ImageDrawOptions options;
    options.gravity = ImageGravity::ResizeAspectFill;
    Size points = bitmap.value()->size();
    context.value()->drawImage(*image.bitmap(), Rect({}, points), options);
    return Image::create(bitmap.value());
}
}

void ImagePickerController::setSourceType(ImagePickerSourceType type)
{
    if (isSourceTypeAvailable(type))
        m_sourceType = type;
}

void ImagePickerController::loadView()
{
    m_paths = photoAlbumImagePaths();
    Rect screen = Screen::main().bounds();
    auto root = View::create(screen);
    root->setBackgroundColor(Color::whiteColor());
    auto bar = View::create(Rect(0, 0, screen.width(), kBar));
    bar->setBackgroundColor(Color::white(0.97));
    auto title = std::make_shared<Label>(Rect(0, 0, screen.width(), kBar));
    title->setText("照片");
    title->setFont(Font::boldSystem(17));
    title->setTextAlignment(TextAlignment::Center);
    bar->addSubview(title);
    auto cancelButton = std::make_shared<Button>(Rect(screen.width() - 70, 0, 70, kBar));
    cancelButton->setTitle("取消", ControlStates::Normal);
    cancelButton->setTitleColor(Color::fromRgbHex(0x007aff), ControlStates::Normal);
    std::weak_ptr<Object> weakSelf = weak_from_this();
    cancelButton->addAction([weakSelf](Control&) {
        if (auto me = std::static_pointer_cast<ImagePickerController>(weakSelf.lock()))
            me->cancel();
    }, ControlEvent::TouchUpInside);
    bar->addSubview(cancelButton);

    auto grid = std::make_shared<ScrollView>(Rect(0, kBar, screen.width(), screen.height() - kBar));
    grid->setAlwaysBounceVertical(true);
    double side = (screen.width() - kGap * (kColumns + 1)) / kColumns;
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        auto picture = Image::contentsOfFile(m_paths[i]);
        auto cell = std::make_shared<Button>(Rect(kGap + (i % kColumns) * (side + kGap),
                                                  kGap + (i / kColumns) * (side + kGap), side, side));
        cell->setBackgroundColor(Color::white(0.9));
        cell->setClipsToBounds(true);
        if (picture) {
            // The thumbnail fills its square and keeps its aspect, as the
            // picked picture will; a stretched one would misshow it.
            auto thumbnail = std::make_shared<ImageView>(picture.value());
            thumbnail->setFrame(Rect(0, 0, side, side));
            thumbnail->setContentMode(ImageGravity::ResizeAspectFill);
            thumbnail->setUserInteractionEnabled(false);
            cell->addSubview(thumbnail);
        }
        cell->addAction([weakSelf, i](Control&) {
            if (auto me = std::static_pointer_cast<ImagePickerController>(weakSelf.lock()))
                me->pickImageAtIndex(i);
        }, ControlEvent::TouchUpInside);
        grid->addSubview(cell);
    }
    if (m_paths.empty()) {
        // An empty grid says nothing: say where pictures come from.
        auto hint = std::make_shared<Label>(Rect(20, 40, screen.width() - 40, 120));
        hint->setText("相册里没有照片\n放入 " + photoAlbumDirectory() + " 的图片会显示在这里");
        hint->setNumberOfLines(0);
        hint->setFont(Font::system(15));
        hint->setTextColor(Color::white(0.5));
        hint->setTextAlignment(TextAlignment::Center);
        grid->addSubview(hint);
    }
    std::size_t rows = (m_paths.size() + kColumns - 1) / kColumns;
    grid->setContentSize({screen.width(), kGap + rows * (side + kGap)});
    root->addSubview(grid);
    root->addSubview(bar);
    setView(root);
}

bool ImagePickerController::pickImageAtIndex(std::size_t index)
{
    if (index >= m_paths.size())
        return false;
    auto picture = Image::contentsOfFile(m_paths[index]);
    if (!picture)
        return false;
    auto info = Dictionary::create();
    info->set(ImagePickerControllerOriginalImage, Value(ObjectRef(picture.value())));
    if (m_allowsEditing)
        if (auto square = squareOf(*picture.value()))
            info->set(ImagePickerControllerEditedImage, Value(ObjectRef(square)));
    auto keep = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->imagePickerControllerDidFinishPickingMediaWithInfo(*this, info);
    return true;
}

void ImagePickerController::cancel()
{
    auto keep = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->imagePickerControllerDidCancel(*this);
}

}
