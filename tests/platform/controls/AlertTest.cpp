#include "ControlsTestSupport.h"

#include "platform/controls/ActionSheet.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/ImagePickerController.h"
#include "platform/controls/Label.h"
#include "platform/controls/PhotoAlbum.h"
#include "platform/controls/TextField.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/ViewController.h"

#include <functional>


namespace pf::test {
namespace {

class Answers final : public AlertViewDelegate, public ActionSheetDelegate {
public:
    void alertViewClickedButtonAtIndex(AlertView&, int i) override { log += "click" + std::to_string(i) + " "; }
    void alertViewDidDismissWithButtonIndex(AlertView&, int i) override { log += "dismiss" + std::to_string(i) + " "; }
    void actionSheetClickedButtonAtIndex(ActionSheet&, int i) override { log += "sheet" + std::to_string(i) + " "; }
    std::string log;
};

class Modal : public HostTest {};

TEST_F(Modal, AlertLivesWhileShownAndNumbersCancelFirst)
{
    auto answers = std::make_shared<Answers>();
    std::weak_ptr<AlertView> weak;
    {
        auto alert = std::make_shared<AlertView>("", "您的积分不足，无法兑换奖品", answers, "取消", std::vector<std::string>{"确定", "再看看"});
        EXPECT_EQ(alert->cancelButtonIndex(), 0);
        EXPECT_EQ(alert->buttonTitleAtIndex(2), "再看看");
        alert->show();
        weak = alert;
    }
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(AlertView::visibleAlerts().size(), 1u);
    EXPECT_TRUE(host->findViewWithText("您的积分不足"));
    EXPECT_TRUE(host->tapViewWithText("再看看"));
    EXPECT_EQ(answers->log, "click2 dismiss2 ");
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    EXPECT_FALSE(host->findViewWithText("您的积分不足"));

    auto single = std::make_shared<AlertView>("", "网络错误", nullptr, "", std::vector<std::string>{"确定"});
    EXPECT_EQ(single->cancelButtonIndex(), -1);
    single->show();
    EXPECT_TRUE(host->tapViewWithText("确定"));
    EXPECT_FALSE(single->isVisible());
}

TEST_F(Modal, SheetOrdersDestructiveOthersCancel)
{
    struct Row {
        const char* cancel;
        const char* destructive;
        std::vector<std::string> others;
        int cancelIndex, destructiveIndex;
        const char* tap;
        const char* log;
    };
    const std::vector<Row> rows = {
        {"取消", "删除", {"拍照", "相册"}, 3, 0, "相册", "sheet2 "},
        {"取消", "", {"拍照"}, 1, -1, "取消", "sheet1 "},
        {"", "退出", {}, -1, 0, "退出", "sheet0 "},
    };
    for (const Row& row : rows) {
        auto answers = std::make_shared<Answers>();
        auto sheet = std::make_shared<ActionSheet>("选择", answers, row.cancel, row.destructive, row.others);
        EXPECT_EQ(sheet->cancelButtonIndex(), row.cancelIndex);
        EXPECT_EQ(sheet->destructiveButtonIndex(), row.destructiveIndex);
        sheet->showInView(window);
        sheet = nullptr;
        host->advance(0.4);
        EXPECT_TRUE(host->tapViewWithText(row.tap)) << row.tap;
        EXPECT_EQ(answers->log, row.log);
    }
    // A tap on the dimmed screen above the panel is a cancel.
    auto answers = std::make_shared<Answers>();
    auto sheet = std::make_shared<ActionSheet>("", answers, "取消", "", std::vector<std::string>{"拍照"});
    sheet->showInView(window);
    host->advance(0.4);
    host->tap({160, 40});
    EXPECT_EQ(answers->log, "sheet1 ");
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(Modal, EscapeClosesAnAlertOrSheetThenTheKeyboardThenAPageWindowThenGoesBack)
{
    struct Back final : ApplicationDelegate {
        bool applicationGoBack(Application&) override { return ++backs, true; }
        int backs = 0;
    };
    auto back = std::make_shared<Back>();
    Application::shared().setDelegate(back);
    auto field = std::make_shared<TextField>(Rect(10, 40, 300, 40));
    window->addSubview(field);
    auto answers = std::make_shared<Answers>();
    struct Row {
        const char* name;
        std::function<void()> show;
        const char* log;
        int backs;
        bool stillShown;
        bool stillEditing = false;
    };
    // A window of its own in front (a page) that closes on back.
    struct PageWindow final : Window {
        explicit PageWindow(std::string& log) : Window(Screen::main().bounds()), log(log) {}
        bool performBack() override { return log += "page ", setHidden(true), true; }
        std::string& log;
    };
    std::shared_ptr<AlertView> alert;
    std::shared_ptr<Window> page;
    const Row rows[] = {
        {"keyboard", [&] { field->beginEditing(); }, "", 0, false},
        {"sheet", [&] { std::make_shared<ActionSheet>("", answers, "取消", "", std::vector<std::string>{"拍照"})->showInView(window); },
         "sheet1 ", 0, false},
        {"alert", [&] { (alert = std::make_shared<AlertView>("", "确认？", answers, "取消", std::vector<std::string>{"好"}))->show(); },
         "click0 dismiss0 ", 0, false},
        {"alert without a cancel button", [&] { (alert = std::make_shared<AlertView>("", "请选择", answers, "", std::vector<std::string>{"好"}))->show(); },
         "", 0, true},
        // An alert is modal over the keyboard too: it takes Escape first,
        // and one that has no cancel button leaves the field editing.
        {"alert over a focused field",
         [&] { field->beginEditing(); (alert = std::make_shared<AlertView>("", "确认？", answers, "取消", std::vector<std::string>{"好"}))->show(); },
         "click0 dismiss0 ", 0, false, true},
        {"alert without a cancel button over a focused field",
         [&] { field->beginEditing(); (alert = std::make_shared<AlertView>("", "请选择", answers, "", std::vector<std::string>{"好"}))->show(); },
         "", 0, true, true},
        {"page window", [&] { (page = std::make_shared<PageWindow>(answers->log))->setHidden(false); }, "page ", 0, false},
        {"the screen", [] {}, "", 1, false},
    };
    for (const Row& row : rows) {
        answers->log.clear();
        back->backs = 0;
        row.show();
        host->advance(0.4);
        host->pressKey(KeyEvent::Kind::Escape);
        host->advance(0.4);
        EXPECT_EQ(answers->log, row.log) << row.name;
        EXPECT_EQ(back->backs, row.backs) << row.name;
        EXPECT_EQ(field->isEditing(), row.stillEditing) << row.name;
        bool shown = alert && alert->isVisible();
        EXPECT_EQ(shown, row.stillShown) << row.name;
        if (shown)
            alert->dismissWithClickedButtonIndex(0, false);
        alert = nullptr;
        field->endEditing(true);
    }
    Application::shared().setDelegate({});
}

TEST(PhotoAlbum, SavesWithoutOverwritingAndListsOnlyPictures)
{
    PicturesFolder album("album");
    const auto& dir = album.path;
    std::filesystem::create_directories(dir / "sub.png");
    auto bitmap = Bitmap::create(3, 2);
    ASSERT_TRUE(bitmap);
    auto image = Image::create(bitmap.value());
    std::ofstream(dir / "IMG_0001.png") << "mine";
    std::filesystem::create_symlink(dir / "IMG_0001.png", dir / "link.png");
    std::ofstream(dir / "notes.txt").flush();

    auto first = saveImageToPhotosAlbum(*image);
    auto second = saveImageToPhotosAlbum(*image);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first.value(), (dir / "IMG_0002.png").string());
    EXPECT_EQ(second.value(), (dir / "IMG_0003.png").string());
    EXPECT_EQ(std::filesystem::file_size(dir / "IMG_0001.png"), 4u); // untouched
    auto back = Image::contentsOfFile(second.value());
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value()->pixelWidth(), 3);
    EXPECT_EQ(photoAlbumImagePaths(), (std::vector<std::string>{(dir / "IMG_0001.png").string(), first.value(), second.value()}));
}

class Picks final : public ImagePickerControllerDelegate {
public:
    void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController&, const DictionaryRef& info) override
    {
        original = info->get(ImagePickerControllerOriginalImage).objectAs<Image>();
        edited = info->get(ImagePickerControllerEditedImage).objectAs<Image>();
    }
    void imagePickerControllerDidCancel(ImagePickerController&) override { ++cancels; }
    ImageRef original, edited;
    int cancels = 0;
};

TEST_F(Modal, PickerOffersTheAlbumsPictures)
{
    PicturesFolder album("picker");
    auto wide = Bitmap::create(4, 2);
    ASSERT_TRUE(wide);
    wide.value()->fill(Color::rgb(1, 0, 0));
    ASSERT_FALSE(wide.value()->writePng((album.path / "a.png").string()));
    std::ofstream(album.path / "b.png") << "not a picture";

    EXPECT_FALSE(ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::Camera));
    auto picks = std::make_shared<Picks>();
    auto picker = std::make_shared<ImagePickerController>();
    picker->setDelegate(picks);
    picker->setSourceType(ImagePickerSourceType::Camera);
    EXPECT_EQ(picker->sourceType(), ImagePickerSourceType::PhotoLibrary);
    picker->setAllowsEditing(true);
    auto root = std::make_shared<ViewController>();
    window->setRootViewController(root);
    root->presentModalViewController(picker, false);
    host->render();
    EXPECT_EQ(picker->imagePaths().size(), 2u);
    EXPECT_FALSE(picker->pickImageAtIndex(1)); // does not decode
    EXPECT_FALSE(picks->original);
    host->tap({40, 20 + 44 + 30}); // the first cell, under the status bar and the bar
    ASSERT_TRUE(picks->original);
    EXPECT_EQ(picks->original->pixelWidth(), 4);
    ASSERT_TRUE(picks->edited);
    EXPECT_EQ(picks->edited->pixelWidth(), 2);
    EXPECT_EQ(picks->edited->pixelHeight(), 2);
    EXPECT_TRUE(host->tapViewWithText("取消"));
    EXPECT_EQ(picks->cancels, 1);
}

TEST_F(Modal, PickerKeepsThumbnailsInShapeAndSaysWhereAnEmptyAlbumsPicturesComeFrom)
{
    PicturesFolder album("picker-shapes");
    auto root = std::make_shared<ViewController>();
    window->setRootViewController(root);
    auto empty = std::make_shared<ImagePickerController>();
    root->presentModalViewController(empty, false);
    host->render();
    auto hint = host->findViewWithText("相册里没有照片");
    ASSERT_TRUE(hint) << "an empty album is explained";
    EXPECT_NE(dynamic_cast<Label&>(*hint).text().find(photoAlbumDirectory()), std::string::npos);
    root->dismissModalViewControllerAnimated(false);

    // A wide picture, red with a blue middle: its thumbnail shows the middle
    // filling the square, not the whole squeezed into it.
    std::vector<std::uint8_t> rgba(40 * 10 * 4);
    for (int i = 0; i < 40 * 10; ++i) {
        bool middle = i % 40 >= 15 && i % 40 < 25;
        rgba[i * 4] = middle ? 0 : 255;
        rgba[i * 4 + 2] = middle ? 255 : 0;
        rgba[i * 4 + 3] = 255;
    }
    auto wide = Bitmap::fromRgba(40, 10, rgba.data(), 40 * 4);
    ASSERT_TRUE(wide);
    ASSERT_FALSE(wide.value()->writePng((album.path / "a.png").string()));
    auto picker = std::make_shared<ImagePickerController>();
    root->presentModalViewController(picker, false);
    auto frame = host->render();
    ASSERT_TRUE(frame);
    EXPECT_FALSE(host->findViewWithText("相册里没有照片"));
    double side = (320 - 2 * 5) / 4.0;
    // A tenth into the square: red when the whole picture is squeezed in.
    Rgba8 shown = frame.value()->pixelAtPoint({2 + side * 0.1, 20 + 44 + 2 + side / 2});
    EXPECT_TRUE(shown.near({0, 0, 255, 255}, 8)) << int(shown.r) << "," << int(shown.b);
}

}
}
