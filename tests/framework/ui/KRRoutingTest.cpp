#include "ScreenTestSupport.h"

#include "framework/core/KRController.h"
#include "framework/core/KRService.h"
#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "framework/ui/KRContentViewController.h"
#include "framework/ui/KRDocumentViewController.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/ui/KRGoBack.h"
#include "framework/ui/KRHeapViewController.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRLayout.h"
#include "framework/ui/KRNavigationController.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRTabBarController.h"
#include "framework/ui/KRTabViewController.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Bitmap.h"

#include <sstream>

namespace {

std::vector<std::string> g_steps, g_images;

std::string steps(std::vector<std::string>& from = g_steps)
{
    std::string out;
    for (auto& s : std::exchange(from, {}))
        out += (out.empty() ? "" : ",") + s;
    return out;
}

// A leaf, a companion, a style container and a layout that record what routing sends them.
class TestLeaf : public KRViewController {
public:
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override
    {
        g_steps.push_back("load " + alias());
        return KRViewController::loadUrl(url, basePath, animated);
    }
};
// A screen with a back of its own: its open menu closes before it leaves.
class MenuLeaf : public TestLeaf {
public:
    bool goBack(bool animated) override
    {
        if (std::exchange(menuOpen, false))
            return g_steps.push_back("menu closed"), true;
        return TestLeaf::goBack(animated);
    }
    bool menuOpen = true;
};
class RecordingCompanion : public KRController, public IKRParentControllerHolder, public IKRCancellable {
public:
    void setContext(std::weak_ptr<IKRUIContext>) override { g_steps.push_back("context"); }
    void setParentController(const std::shared_ptr<IKRUIViewController>& p) override
    {
        g_steps.push_back("parent " + (p ? p->alias() : std::string("none")));
    }
    void cancel() override { g_steps.push_back("cancel"); }
};
class RecordingStyles : public pf::Object, public IKRStyleSheetHolder {
public:
    void setStyleSheet(std::shared_ptr<KRStyleSheet> sheet) override { g_steps.push_back(sheet ? "styles" : "no sheet"); }
};
class RecordingLayout : public KRLayout {
public:
    void layout() override { g_steps.push_back("layout"); }
};
// Takes every image task.
class RecordingImages : public KRService {
public:
    static bool note(const std::string& what, const pf::ObjectRef& task)
    {
        auto view = std::dynamic_pointer_cast<KRImageView>(task);
        return g_images.push_back(what + " " + std::to_string(view->tag()) + (view->source() ? " source" : "")), true;
    }
    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int) override { return note(type->name(), task); }
    bool cancelHandle(const pf::Protocol* type, const pf::ObjectRef& task) override { return note("cancel " + type->name(), task); }
    bool cancelHandleForSource(const pf::Object*) override { return g_images.push_back("cancel source"), true; }
};

const char* kConfig = R"({"url": "root:///root",
    "services": [{"class": "RecordingImages", "taskTypes": ["IKRImageTask", "IKRLocalImageTask"]}], "ui": {
    "root": {"class": "KRNavigationController", "scheme": "root", "navbar-hidden": true},
    "center": {"class": "KRNavigationController"},
    "box": {"class": "KRContentViewController", "scheme": "box"}, "heap": {"class": "KRHeapViewController"},
    "menuleaf": {"class": "MenuLeaf"},
    "home": {"class": "TestLeaf", "title": "首页"}, "detail": {"class": "TestLeaf"}, "sheet": {"class": "TestLeaf"},
    "image": {"class": "TestLeaf", "orientations": [1, 3, 7]}, "cachedone": {"class": "TestLeaf", "cached": true},
    "wired": {"class": "TestLeaf", "view": "RouteWired", "edgesForExtendedLayout": "topleft"},
    "doc": {"class": "KRDocumentViewController", "view": "RouteDocument", "title": "文档", "html": "templates/route.html"},
    "broken": {"class": "NoSuchClass"}, "notscreen": {"class": "NavigationItem"}}})";

class KRRoutingTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        static bool registered = false;
        if (!std::exchange(registered, true)) {
            pf::ClassBuilder<TestLeaf>("TestLeaf").superclass<KRViewController>().commit();
            pf::ClassBuilder<MenuLeaf>("MenuLeaf").superclass<TestLeaf>().commit();
            pf::ClassBuilder<RecordingCompanion>("RecordingCompanion").commit();
            pf::ClassBuilder<RecordingStyles>("RecordingStyles").commit();
            pf::ClassBuilder<RecordingLayout>("RecordingLayout").superclass<KRLayout>().commit();
            pf::ClassBuilder<RecordingImages>("RecordingImages").superclass<KRService>().commit();
        }
        makeShell(kConfig);
        root = std::dynamic_pointer_cast<KRNavigationController>(showRoot());
        ASSERT_TRUE(root);
        g_steps.clear();
    }
    std::shared_ptr<KRViewController> top() { return std::dynamic_pointer_cast<KRViewController>(root->topController()); }
    static bool open(const std::shared_ptr<KRViewController>& from, const char* url)
    {
        return from->openUrl(*pf::URL::create(url), false);
    }
    static std::shared_ptr<KRAction> action(const std::string& name, const pf::Value& info = {})
    {
        auto a = std::make_shared<KRAction>();
        a->setActionName(name);
        a->setUserInfo(info);
        return a;
    }

    std::shared_ptr<KRNavigationController> root;
};

TEST_F(KRRoutingTest, ContainersRebuildTheirLevelsFromTheUrl)
{
    struct Row {
        const char* url;
        const char* tree; // below the root's line
        const char* loads;
    } rows[] = {
        {"root:///root/home/detail", "  TestLeaf home /root/home parent=root\n  TestLeaf detail /root/home/detail parent=root\n",
         "load home,load detail"},
        // home stays and loads again, detail is cut, image is made.
        {"root:///root/home/image", "  TestLeaf home /root/home parent=root\n  TestLeaf image /root/home/image parent=root\n",
         "load home,load image"},
        // No entry, an unknown class, no screen class: the stack ends before it.
        {"root:///root/home/missing/detail", "  TestLeaf home /root/home parent=root\n", "load home"},
        {"root:///root/home/broken", "  TestLeaf home /root/home parent=root\n", "load home"},
        {"root:///root/notscreen", "", ""},
        {"root:///root/center/home/detail", "  KRNavigationController center /root/center parent=root\n"
                                            "    TestLeaf home /root/center/home parent=center\n"
                                            "    TestLeaf detail /root/center/home/detail parent=center\n",
         "load home,load detail"},
        {"root:///root", "", ""},
        // A content screen keeps, forwards to, swaps or drops its one child.
        {"root:///root/box/home", "  KRContentViewController box /root/box parent=root\n    TestLeaf home /root/box/home parent=box\n",
         "load home"},
        {"root:///root/box/home", "  KRContentViewController box /root/box parent=root\n    TestLeaf home /root/box/home parent=box\n",
         "load home"},
        {"root:///root/box", "  KRContentViewController box /root/box parent=root\n    TestLeaf home /root/box/home parent=box\n", ""},
        {"root:///root/box/detail",
         "  KRContentViewController box /root/box parent=root\n    TestLeaf detail /root/box/detail parent=box\n", "load detail"},
        {"root:///root/box/missing", "  KRContentViewController box /root/box parent=root\n", ""},
    };
    for (const auto& r : rows) {
        EXPECT_TRUE(navigate(r.url)) << r.url;
        EXPECT_EQ(dumpTree(), std::string("KRNavigationController root /root parent=-\n") + r.tree) << r.url;
        EXPECT_EQ(steps(), r.loads) << r.url;
    }
}

TEST_F(KRRoutingTest, TheScreenAUrlOpensIsNewForAnotherQueryAndKeptForTheSameUrl)
{
    enum Top { Kept, Made, Bottom };
    struct Row {
        const char* url;
        bool sameBottom; // the root's first child is the one of the row before
        Top top;         // the row before's top, a new one made for the URL, or the bottom
    } rows[] = {
        {"root:///root/home/detail?pid=1", false, Made},
        {"root:///root/home/detail?pid=1", true, Kept},
        {"root:///root/home/detail?pid=8", true, Made},
        {"root:///root/home/detail?pid=8&x=1", true, Made},
        {"root:///root/home/detail?x=1&pid=8", true, Kept}, // the same values
        {"root:///root/home/detail", true, Kept},           // no query of its own: the one shown stays
        // home was made on the way to detail and never opened for itself: it stays.
        {"root:///root/home?pid=3", true, Bottom},
        {"root:///root/box/home?pid=1", false, Made},
        {"root:///root/box/home?pid=1", true, Kept},
        {"root:///root/box/home?pid=2", true, Made},
    };
    pf::ViewControllerRef bottom;
    std::shared_ptr<KRViewController> shown;
    for (const auto& r : rows) {
        ASSERT_TRUE(navigate(r.url)) << r.url;
        ASSERT_FALSE(root->viewControllers().empty()) << r.url;
        EXPECT_EQ(root->viewControllers().front() == bottom, r.sameBottom) << r.url;
        auto now = top();
        ASSERT_TRUE(now && now->url() && now->parentController()) << r.url;
        if (r.top == Made) {
            EXPECT_NE(now, shown) << r.url;
            EXPECT_EQ(now->url()->absoluteString(), r.url);
        } else {
            EXPECT_EQ(now, r.top == Kept ? shown : std::dynamic_pointer_cast<KRViewController>(bottom)) << r.url;
        }
        bottom = root->viewControllers().front();
        shown = now;
    }
    EXPECT_EQ(dumpTree(), "KRNavigationController root /root parent=-\n"
                          "  KRContentViewController box /root/box parent=root\n    TestLeaf home /root/box/home parent=box\n");
}

TEST_F(KRRoutingTest, AChildThatLeavesLosesItsParentSoACachedOneIsReused)
{
    ASSERT_TRUE(navigate("root:///root/box/detail"));
    auto boxed = top();
    ASSERT_TRUE(navigate("root:///root/home/detail"));
    auto detail = top();
    ASSERT_TRUE(navigate("root:///root/home/image"));
    auto image = top();
    EXPECT_EQ(boxed->parentController(), nullptr);
    EXPECT_EQ(detail->parentController(), nullptr);

    root->setNavigationBarHidden(false, false);
    host->advance(0);
    ASSERT_TRUE(host->tapViewWithText("首页")); // the back button
    host->advance(0.35);
    EXPECT_EQ(root->viewControllers().size(), 1u);
    EXPECT_EQ(image->parentController(), nullptr);

    ASSERT_TRUE(navigate("root:///root/cachedone"));
    auto cached = top();
    ASSERT_TRUE(navigate("root:///root/home"));
    EXPECT_TRUE(cached->isDisplaced());
    ASSERT_TRUE(navigate("root:///root/cachedone"));
    EXPECT_EQ(top(), cached);
}

TEST_F(KRRoutingTest, UnhandledUrlsAnswerNoAndChangeNothing)
{
    ASSERT_TRUE(navigate("root:///root/home"));
    std::string before = dumpTree();
    for (const char* url : {"other:///root/detail", "pop:///missing", "present:///broken", "present://tab/home", "present:",
                            "nav:///root/detail", "box:///root/box/home"}) {
        EXPECT_FALSE(navigate(url)) << url;
        EXPECT_EQ(dumpTree(), before) << url;
    }
    EXPECT_TRUE(KRPopWindow::openWindows().empty());
}

// A container answers its own scheme (its default, or the configured one)
// and asks its parent for any other; a leaf screen only asks its parent,
// whatever scheme it was configured with; a tab bar never asks.
TEST(KRRoutedCanOpenUrl, ContainersAnswerTheirSchemeLeavesAskTheirParent)
{
    auto parent = std::make_shared<KRContentViewController>();
    parent->setScheme(pf::Value("root"));
    auto make = [](const std::string& kind) -> std::shared_ptr<IKRUIViewController> {
        if (kind == "leaf")
            return std::make_shared<KRViewController>();
        if (kind == "content")
            return std::make_shared<KRContentViewController>();
        if (kind == "navigation")
            return std::make_shared<KRNavigationController>();
        if (kind == "heap")
            return std::make_shared<KRHeapViewController>();
        if (kind == "fold")
            return std::make_shared<KRFoldViewController>();
        if (kind == "tab")
            return std::make_shared<KRTabViewController>();
        return std::make_shared<KRTabBarController>();
    };
    struct Row {
        const char* kind;
        const char* scheme; // configured; "" for none
        const char* url;
        bool underParent;
        bool answer;
    } rows[] = {
        {"leaf", "root", "root:///a", false, false},
        {"leaf", "root", "root:///a", true, true},
        {"leaf", "", "content:///a", true, false},
        {"content", "", "content:///a", false, true},
        {"content", "box", "content:///a", false, false},
        {"content", "box", "box:///a", false, true},
        {"navigation", "", "nav:///a", false, true},
        {"navigation", "", "root:///a", true, true},
        {"heap", "", "nav:///a", false, true},
        {"fold", "", "fold:///a", false, true},
        {"fold", "", "tab:///a", false, false},
        {"tab", "", "tab:///a", false, true},
        {"tab", "", "root:///a", true, true},
        {"tabbar", "", "tab:///a", false, true},
        {"tabbar", "", "root:///a", true, false},
    };
    for (const Row& r : rows) {
        auto controller = make(r.kind);
        if (*r.scheme)
            controller->setScheme(pf::Value(r.scheme));
        if (r.underParent)
            controller->setParentController(parent);
        EXPECT_EQ(controller->canOpenUrl(*pf::URL::create(r.url)), r.answer) << r.kind << " " << r.url;
    }
}

TEST_F(KRRoutingTest, PopAndPresentOpenOverTheScreen)
{
    ASSERT_TRUE(navigate("root:///root/home"));
    auto home = top();
    ASSERT_TRUE(open(home, "pop:///sheet?title=x"));
    auto pop = KRPopWindow::topPopWindow();
    ASSERT_TRUE(pop && pop->isKeyWindow());
    auto sheet = std::dynamic_pointer_cast<KRViewController>(pop->rootViewController());
    EXPECT_EQ(sheet->parentController(), home);
    sheet->doAction(action("popclosed"));
    EXPECT_TRUE(KRPopWindow::openWindows().empty());
    EXPECT_EQ(sheet->parentController(), nullptr);
    EXPECT_TRUE(window->isKeyWindow());

    // A host equal to the root's scheme presents from the end of the root's
    // modal chain, no host from the opener; an empty path dismisses.
    ASSERT_TRUE(open(home, "present://root/image"));
    auto image = std::dynamic_pointer_cast<KRViewController>(root->modalViewController());
    ASSERT_TRUE(image && image->parentController() == root);
    ASSERT_TRUE(open(image, "present:///detail"));
    auto detail = std::dynamic_pointer_cast<KRViewController>(image->modalViewController());
    ASSERT_TRUE(detail && detail->parentController() == image);
    ASSERT_TRUE(open(detail, "present://root/sheet"));
    auto last = std::dynamic_pointer_cast<KRViewController>(detail->modalViewController());
    ASSERT_TRUE(last && last->parentController() == detail);
    ASSERT_TRUE(open(last, "present:"));
    EXPECT_EQ(detail->modalViewController(), nullptr);
    EXPECT_FALSE(open(home, "present:")); // home was not presented
    auto offscreen = std::dynamic_pointer_cast<KRViewController>(shell->getViewController(*pf::URL::create("root:///root/detail"), "/root"));
    EXPECT_FALSE(open(offscreen, "present:///sheet")); // nothing to present over
    root->dismissModalViewControllerAnimated(false);
    // Its own scheme reloads a content screen from anywhere below it.
    ASSERT_TRUE(navigate("root:///root/box/detail"));
    ASSERT_TRUE(open(top(), "box:///root/box/home"));
    EXPECT_EQ(top()->alias(), "home");
    EXPECT_TRUE(top()->view()->isDescendantOf(*window));
}

TEST_F(KRRoutingTest, BackClosesAPopThenAPresentedScreenThenOpensDotFromTheTopButNeverEmptiesTheRoot)
{
    ASSERT_TRUE(navigate("root:///root/home/detail"));
    struct Row {
        const char* opened; // over the stack, before going back
        const char* topAfter;
        bool went;
    };
    const Row rows[] = {
        {"pop:///sheet", "detail", true},
        {"present://root/image", "detail", true},
        {"", "home", true},
        // A screen placed directly in the root stays: an empty root would be a blank window.
        {"", "home", false},
    };
    for (const Row& row : rows) {
        if (*row.opened)
            ASSERT_TRUE(navigate(row.opened)) << row.opened;
        EXPECT_EQ(KRGoBack(shell->rootViewController(), true), row.went) << row.opened;
        host->advance(0.35);
        EXPECT_TRUE(KRPopWindow::openWindows().empty()) << row.opened;
        EXPECT_FALSE(root->modalViewController()) << row.opened;
        EXPECT_EQ(top()->alias(), row.topAfter) << row.opened;
    }
}

// Going back, by the back control or the phone's back, returns to the very
// screen left, with its query, one level at a time, in a navigation stack
// and in a heap; a screen with a back of its own closes its menu first.
TEST_F(KRRoutingTest, BackReturnsToTheScreenLeftWithItsQuery)
{
    struct Row {
        const char* stack;       // the levels opened, one URL each, deepest last
        const char* menuClosing; // the step a first back records, or ""
    } rows[] = {
        {"root:///root/home?tab=2 root:///root/home/detail?pid=1 root:///root/home/detail/image?q=2", ""},
        {"root:///root/heap/home root:///root/heap/home/detail?pid=1 root:///root/heap/home/detail/image?q=2", ""},
        {"root:///root/home root:///root/home/detail?pid=1 root:///root/home/detail/menuleaf", "menu closed"},
    };
    for (bool byControl : {true, false}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.stack) + (byControl ? " by the control" : " by the phone's back"));
            ASSERT_TRUE(navigate("root:///root/sheet")); // a fresh stack
            std::vector<std::pair<std::shared_ptr<KRViewController>, std::string>> levels;
            std::istringstream urls(row.stack);
            for (std::string url; urls >> url;) {
                ASSERT_TRUE(navigate(url));
                host->advance(0.35);
                levels.emplace_back(top(), url);
            }
            // The control answers nothing: the checks after each back carry it.
            auto back = [&] {
                if (byControl)
                    top()->doAction(action("url", pf::Value(".")));
                else
                    EXPECT_TRUE(KRGoBack(shell->rootViewController(), true));
                host->advance(0.35);
            };
            steps();
            if (*row.menuClosing) {
                back();
                EXPECT_EQ(top(), levels.back().first);
                EXPECT_EQ(steps(), row.menuClosing);
            }
            for (std::size_t level = levels.size() - 1; level-- > 0;) {
                back();
                EXPECT_EQ(top(), levels[level].first) << level;
                EXPECT_EQ(top()->url()->absoluteString(), levels[level].second);
                EXPECT_TRUE(top()->view()->isDescendantOf(*window)) << level;
            }
        }
    }
}

TEST_F(KRRoutingTest, ActionsOpenEscapedAndResolvedUrls)
{
    std::vector<std::string> opened;
    KRViewController::setExternalOpener([&](const pf::URL& url) { return opened.push_back(url.absoluteString()), true; });
    struct Row {
        const char* from;
        const char* name;
        const char* text;
        const char* topUrl;
    } rows[] = {
        {"root:///root/home", "url", "home/detail", "root:///root/home/detail"},
        {"root:///root/home/detail", "url", ".", "root:///root/home"}, // back one level
        {"root:///root/home/detail", "url", "image?title=更换头像", "root:///root/home/image?title=%E6%9B%B4%E6%8D%A2%E5%A4%B4%E5%83%8F"},
        {"root:///root/home/detail", "url", "image?title=a%20b", "root:///root/home/image?title=a%20b"},
        {"root:///root/home/detail", "url", "image?q=100%", "root:///root/home/image?q=100%25"},
        {"root:///root/home", "popclose", "", "root:///root/home"}, // nothing open
    };
    for (const auto& r : rows) {
        ASSERT_TRUE(navigate(r.from));
        top()->doAction(action(r.name, pf::Value(r.text)));
        host->advance(0.35);
        EXPECT_EQ(top()->url()->absoluteString(), r.topUrl) << r.name << " " << r.text;
    }
    for (const char* url : {"http://127.0.0.1/a b", "https://127.0.0.1/", "file:///etc/passwd", "javascript:alert(1)", "tel:1"})
        top()->doAction(action("openUrl", pf::Value(url)));
    top()->doAction(action("openUrl"));
    EXPECT_EQ(opened, (std::vector<std::string>{"http://127.0.0.1/a%20b", "https://127.0.0.1/"}));
    KRViewController::setExternalOpener(nullptr);
}

TEST_F(KRRoutingTest, ViewDidLoadWiresCompanionsStylesLayoutsThenData)
{
    ASSERT_TRUE(navigate("root:///root/wired"));
    EXPECT_EQ(steps(), "load wired,context,parent wired,styles,layout");
    EXPECT_TRUE(host->findViewWithText("wired")); // a data outlet read the controller's alias
    EXPECT_EQ(top()->edgesForExtendedLayout(), pf::RectEdges::Top | pf::RectEdges::Left);
    ASSERT_TRUE(navigate("root:///root/home"));
    EXPECT_EQ(steps(), "load home,cancel,parent none"); // the screen went
}

TEST_F(KRRoutingTest, RotationAnswersComeFromTheTopScreen)
{
    ASSERT_TRUE(navigate("root:///root/home/image"));
    for (int o : {1, 2, 3, 4, 7})
        EXPECT_EQ(root->shouldAutorotateToInterfaceOrientation(o), o % 2 == 1) << o;
    EXPECT_EQ(root->supportedInterfaceOrientations(), (1u << 1) | (1u << 3));
    ASSERT_TRUE(navigate("root:///root/home"));
    EXPECT_FALSE(root->shouldAutorotateToInterfaceOrientation(3));
    EXPECT_EQ(root->supportedInterfaceOrientations(), 1u << 1);
}

TEST_F(KRRoutingTest, ADocumentScreenShowsItsFilledTemplate)
{
    ASSERT_TRUE(navigate("root:///root/doc"));
    auto doc = std::dynamic_pointer_cast<KRDocumentViewController>(top());
    auto who = [&] { return doc->document()->elementById("who"); };
    ASSERT_TRUE(doc && who());
    EXPECT_EQ(who()->text(), "doc|文档|/root");
    auto view = doc->documentView();
    EXPECT_EQ(view->delegateObject(), doc); // wired by the interface file
    auto scroll = std::dynamic_pointer_cast<pf::ScrollView>(view->superview());
    ASSERT_TRUE(scroll);
    EXPECT_GE(view->frame().height(), 500);
    EXPECT_EQ(scroll->contentSize().height, 10 + view->frame().height());

    doc->setTitle("新");
    doc->reloadData();
    EXPECT_EQ(who()->text(), "doc|新|/root");
    for (const char* name : {"../resources/templates/route.html", "/etc/passwd", "templates/none.html"}) {
        doc->setHtml(name);
        doc->reloadData();
        EXPECT_EQ(who(), nullptr) << name;
    }
}

TEST_F(KRRoutingTest, ImageTasksOfAViewGoThroughTheContext)
{
    auto screen = std::dynamic_pointer_cast<KRViewController>(shell->getViewController(*pf::URL::create("root:///root/home"), "/root"));
    std::vector<std::shared_ptr<KRImageView>> images; // 1 waits, 2 loads (inside 1), 3 is loaded
    for (int tag : {1, 2, 3})
        images.push_back(std::make_shared<KRImageView>()), images.back()->setTag(tag);
    images[1]->setLoading(true);
    images[2]->setLoaded(true);
    images[0]->addSubview(images[1]);
    auto view = screen->view();
    g_images.clear();
    view->addSubview(images[0]);
    view->addSubview(images[2]);
    screen->downloadImagesForView(*view);
    EXPECT_EQ(steps(g_images), "IKRImageTask 1 source");
    screen->loadImagesForView(*view);
    EXPECT_EQ(steps(g_images), "IKRLocalImageTask 1 source,cancel IKRImageTask 2,IKRLocalImageTask 2");
    screen->cancelDownloadImagesForView(*view);
    EXPECT_EQ(steps(g_images), "cancel IKRImageTask 2");
    host->memoryWarning(); // the view unloads
    EXPECT_EQ(steps(g_images), "cancel source");
    screen.reset();
    EXPECT_EQ(steps(g_images), "cancel source");
}

// The grey level at a point: 255 white, lower where dimmed or uncovered.
TEST_F(KRRoutingTest, PopWindowsShrinkAndDimTheWindowBelowUntilTheyClose)
{
    window->setBackgroundColor(pf::Color::whiteColor());
    ASSERT_TRUE(navigate("root:///root/home"));
    auto grey = [&](pf::Point p) {
        auto frame = host->render();
        return frame.ok() ? frame.value()->pixelAtPoint(p).g : -1;
    };
    auto openSheet = [&](const pf::Color& colour) { // covering the lower part only
        EXPECT_TRUE(navigate("pop:///sheet"));
        auto pop = KRPopWindow::topPopWindow();
        pop->rootViewController()->view()->setFrame(pf::Rect(0, 400, 320, 168));
        pop->rootViewController()->view()->setBackgroundColor(colour);
        return pop;
    };
    const pf::Point edge{0.5, 200}, middle{160, 200};
    // Which closes first and whether closes animate.
    for (auto [topFirst, animated] : {std::pair{true, true}, {true, false}, {false, true}, {false, false}}) {
        EXPECT_EQ(grey(edge), 255);
        auto first = openSheet(pf::Color::rgb(0, 0, 1));
        EXPECT_LT(grey(edge), 128); // the shrunk window leaves the edge
        EXPECT_NEAR(grey(middle), 242, 3); // 95 % of white
        auto second = openSheet(pf::Color::rgb(1, 0, 0));
        EXPECT_EQ(second->keyWindow(), first);
        auto earlier = topFirst ? second : first, later = topFirst ? first : second;
        earlier->closeAnimated(animated);
        earlier->closeAnimated(false); // a running close goes on
        host->advance(0.35);
        EXPECT_TRUE(later->isKeyWindow() && earlier->isHidden()) << topFirst << animated;
        EXPECT_EQ(later->keyWindow(), window);
        EXPECT_NEAR(grey(middle), 242, 3);
        later->closeAnimated(animated);
        host->advance(0.35);
        EXPECT_TRUE(window->isKeyWindow() && later->isHidden()) << topFirst << animated;
        EXPECT_EQ(grey(middle), 255);
        EXPECT_TRUE(KRPopWindow::openWindows().empty());
        // A closed window is held until the next turn of the loop only.
        std::weak_ptr<KRPopWindow> gone = earlier;
        earlier.reset(), first.reset(), second.reset();
        host->advance(0);
        EXPECT_TRUE(gone.expired());
    }
    // As when the application comes back: running animations end, all close.
    openSheet(pf::Color::rgb(0, 0, 1));
    openSheet(pf::Color::rgb(0, 0, 1))->closeAnimated(true);
    KRPopWindow::closeAll();
    EXPECT_TRUE(KRPopWindow::openWindows().empty() && window->isKeyWindow());
    EXPECT_EQ(grey(middle), 255);
}

}
