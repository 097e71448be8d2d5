#include "ScreenTestSupport.h"

#include "framework/core/KRService.h"
#include "framework/core/KRShell.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRViewController.h"
#include "platform/foundation/ClassBuilder.h"

#include <vector>

namespace {

std::vector<std::string> g_calls;

// Records the image traffic of the screens; every task is taken.
class RecordingImageService : public KRService {
public:
    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int) override
    {
        auto view = std::dynamic_pointer_cast<KRImageView>(task);
        std::string source = view && view->source() ? " source" : "";
        g_calls.push_back(type->name() + " " + std::to_string(view ? view->tag() : -1) + source);
        return true;
    }
    bool cancelHandle(const pf::Protocol* type, const pf::ObjectRef& task) override
    {
        auto view = std::dynamic_pointer_cast<KRImageView>(task);
        g_calls.push_back("cancel " + type->name() + " " + std::to_string(view ? view->tag() : -1));
        return true;
    }
    bool cancelHandleForSource(const pf::Object*) override
    {
        g_calls.push_back("cancel source");
        return true;
    }
};

class KRViewControllerImagesTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        static bool registered = false;
        if (!std::exchange(registered, true))
            pf::ClassBuilder<RecordingImageService>("RecordingImageService").superclass<KRService>().commit();
        makeShell(R"({"url": "root:///root",
          "services": [{"class": "RecordingImageService", "taskTypes": ["IKRImageTask", "IKRLocalImageTask"]}],
          "ui": {"root": {"class": "KRNavigationController", "scheme": "root"}, "home": {"class": "KRViewController"}}})");
        showRoot();
        g_calls.clear();
    }
};

TEST_F(KRViewControllerImagesTest, ImageTasksOfAViewGoThroughTheContext)
{
    auto url = pf::URL::create("root:///root/home");
    auto screen = std::dynamic_pointer_cast<KRViewController>(shell->getViewController(*url, "/root"));
    ASSERT_TRUE(screen);
    // 1 waits, 2 is loading, 3 is loaded; 2 sits below 1.
    auto waiting = std::make_shared<KRImageView>();
    auto loading = std::make_shared<KRImageView>();
    auto loaded = std::make_shared<KRImageView>();
    waiting->setTag(1);
    loading->setTag(2);
    loaded->setTag(3);
    loading->setLoading(true);
    loaded->setLoaded(true);
    waiting->addSubview(loading);
    auto view = screen->view();
    view->addSubview(waiting);
    view->addSubview(loaded);

    struct Row {
        std::function<void()> call;
        std::vector<std::string> calls;
    } rows[] = {
        {[&] { screen->downloadImagesForView(*view); }, {"IKRImageTask 1 source"}},
        {[&] { screen->loadImagesForView(*view); },
         {"IKRLocalImageTask 1 source", "cancel IKRImageTask 2", "IKRLocalImageTask 2"}},
        {[&] { screen->cancelDownloadImagesForView(*view); }, {"cancel IKRImageTask 2"}},
        // Its tasks are withdrawn when the view unloads and when it goes.
        {[&] { host->memoryWarning(); }, {"cancel source"}},
        {[&] { screen.reset(); }, {"cancel source"}},
    };
    for (auto& r : rows) {
        g_calls.clear();
        r.call();
        EXPECT_EQ(g_calls, r.calls);
    }
}

}
