// The choice prompt in its pop window, as the profile screen opens it.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/shared/ZMRImagePickerPromptViewController.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/ui/Application.h"

#include <vector>

namespace {

class ImagePickerPrompt : public AppScreenTest {
protected:
    struct Answer {
        pf::Value key;
        std::size_t openPopWindows = 0;
    };

    // Opens the prompt with a callback waiting; answers the prompt's screen.
    std::shared_ptr<ZMRImagePickerPromptViewController> openPrompt()
    {
        shell->waitResultsData([this](const pf::Value& key) {
            answers.push_back({key, KRPopWindow::openWindows().size()});
        });
        EXPECT_TRUE(open("pop:///image-picker?title=%E6%9B%B4%E6%8D%A2%E5%A4%B4%E5%83%8F"));
        auto window = KRPopWindow::topPopWindow();
        auto root = window ? window->rootViewController() : nullptr;
        return std::dynamic_pointer_cast<ZMRImagePickerPromptViewController>(root);
    }

    // The list of pop windows outlives the screen: later tests must not find ours.
    void TearDown() override
    {
        KRPopWindow::closeAll();
        AppScreenTest::TearDown();
    }

    std::vector<Answer> answers;
};

TEST_F(ImagePickerPrompt, FadesInWithThePanelOnTheBottomEdge)
{
    shell->applicationOpenRootURL(pf::Application::shared(), *pf::URL::create("pop:///image-picker"));
    auto window = KRPopWindow::topPopWindow();
    ASSERT_TRUE(window);
    auto prompt = std::dynamic_pointer_cast<ZMRImagePickerPromptViewController>(window->rootViewController());
    ASSERT_TRUE(prompt);
    host->advance(0.15);
    double alpha = prompt->view()->presentationAlpha();
    EXPECT_GT(alpha, 0.0);
    EXPECT_LT(alpha, 1.0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(prompt->view()->alpha(), 1.0);
    pf::Rect panel = prompt->contentView()->frame();
    EXPECT_EQ(panel.maxY(), prompt->view()->bounds().height());
    EXPECT_EQ(panel.x(), 0);
    EXPECT_TRUE(textFrame("更换头像"));
    EXPECT_TRUE(textFrame("拍照"));
}

TEST_F(ImagePickerPrompt, HandsTheKeyBackAfterTheWindowClosed)
{
    struct Row {
        const char* button;
        pf::Value key;
    };
    const Row rows[] = {{"拍照", pf::Value("camera")}, {"相册", pf::Value("library")}, {"取消", pf::Value()}};
    for (const Row& row : rows) {
        answers.clear();
        ASSERT_TRUE(openPrompt()) << row.button;
        ASSERT_TRUE(tapText(row.button)) << row.button;
        ASSERT_TRUE(settle());
        ASSERT_EQ(answers.size(), 1u) << row.button;
        EXPECT_TRUE(answers[0].key == row.key) << row.button;
        EXPECT_EQ(answers[0].openPopWindows, 0u) << "the window was still open when " << row.button << " answered";
        EXPECT_FALSE(KRPopWindow::topPopWindow());
    }
}

TEST_F(ImagePickerPrompt, ClosedWithoutAKeyForgetsTheWaitingCallback)
{
    ASSERT_TRUE(openPrompt());
    tap({160, 100}); // the dimmed area above the panel closes the prompt
    ASSERT_TRUE(settle());
    EXPECT_FALSE(KRPopWindow::topPopWindow());
    shell->setResultsData(pf::Value("camera")); // another screen's answer, later
    EXPECT_TRUE(answers.empty());

    // With nobody waiting, a key is dropped and the prompt still closes.
    ASSERT_TRUE(open("pop:///image-picker"));
    ASSERT_TRUE(tapText("相册"));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(KRPopWindow::topPopWindow());
    EXPECT_TRUE(answers.empty());
}

}
