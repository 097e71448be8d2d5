#include "ScreenTestSupport.h"

#include "framework/core/KRController.h"
#include "framework/core/KRShell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "framework/ui/KRContentViewController.h"
#include "framework/ui/KRDocumentViewController.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRNavigationController.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRViewController.h"
#include "platform/controls/NavigationBar.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/ClassBuilder.h"

#include <vector>

namespace {

std::vector<std::string> g_steps;

// A leaf that records what routing sends it.
class TestLeaf : public KRViewController {
public:
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override
    {
        g_steps.push_back("load " + alias());
        return KRViewController::loadUrl(url, basePath, animated);
    }
};

class RecordingCompanion : public KRController, public IKRParentControllerHolder, public IKRCancellable {
public:
    void setContext(std::weak_ptr<IKRUIContext> context) override
    {
        g_steps.push_back("context");
        KRController::setContext(std::move(context));
    }
    void setParentController(const std::shared_ptr<IKRUIViewController>& parent) override
    {
        g_steps.push_back(parent ? "parent " + parent->alias() : "parent none");
    }
    void cancel() override { g_steps.push_back("cancel"); }
};

class RecordingStyles : public pf::Object, public IKRStyleSheetHolder {
public:
    void setStyleSheet(std::shared_ptr<KRStyleSheet>) override { g_steps.push_back("styles"); }
};

class RecordingLayout : public KRLayout {
public:
    void layout() override { g_steps.push_back("layout"); }
};

void registerDoubles()
{
    static bool done = false;
    if (std::exchange(done, true))
        return;
    pf::ClassBuilder<TestLeaf>("TestLeaf").superclass<KRViewController>().commit();
    pf::ClassBuilder<RecordingCompanion>("RecordingCompanion").commit();
    pf::ClassBuilder<RecordingStyles>("RecordingStyles").commit();
    pf::ClassBuilder<RecordingLayout>("RecordingLayout").superclass<KRLayout>().commit();
}

std::shared_ptr<KRAction> action(const std::string& name, const pf::Value& info = {})
{
    auto a = std::make_shared<KRAction>();
    a->setActionName(name);
    a->setUserInfo(info);
    return a;
}

// A root stack answering "root", an inner stack "center" and leaves.
const char* kConfig = R"({
  "url": "root:///root",
  "ui": {
    "root": {"class": "KRNavigationController", "scheme": "root", "navbar-hidden": true},
    "center": {"class": "KRNavigationController"},
    "home": {"class": "TestLeaf", "title": "首页"},
    "detail": {"class": "TestLeaf"},
    "image": {"class": "TestLeaf", "orientations": [1, 3, 7]},
    "cachedone": {"class": "TestLeaf", "cached": true},
    "sheet": {"class": "TestLeaf"},
    "wired": {"class": "TestLeaf", "view": "RouteWired", "edgesForExtendedLayout": "topleft"},
    "broken": {"class": "NoSuchClass"},
    "box": {"class": "KRContentViewController", "scheme": "box"},
    "doc": {"class": "KRDocumentViewController", "view": "RouteDocument", "title": "文档",
            "html": "templates/route.html"},
    "notscreen": {"class": "NavigationItem"}
  }
})";

class KRRoutingTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        registerDoubles();
        g_steps.clear();
        makeShell(kConfig);
        root = std::dynamic_pointer_cast<KRNavigationController>(showRoot());
        ASSERT_TRUE(root);
    }
    std::shared_ptr<KRViewController> top() { return std::dynamic_pointer_cast<KRViewController>(root->topController()); }

    std::shared_ptr<KRNavigationController> root;
};

TEST_F(KRRoutingTest, StacksFollowTheUrlKeepingMatchingLevels)
{
    struct Row {
        const char* url;
        const char* tree;
        const char* loads;
    } rows[] = {
        {"root:///root/home/detail", "KRNavigationController root /root parent=-\n"
                                     "  TestLeaf home /root/home parent=root\n"
                                     "  TestLeaf detail /root/home/detail parent=root\n",
         "load home,load detail"},
        // home stays (and loads again), detail is cut, image is made.
        {"root:///root/home/image", "KRNavigationController root /root parent=-\n"
                                    "  TestLeaf home /root/home parent=root\n"
                                    "  TestLeaf image /root/home/image parent=root\n",
         "load home,load image"},
        // An alias without an entry, an unknown class, a class that is no
        // screen: the stack ends before it.
        {"root:///root/home/missing/detail", "KRNavigationController root /root parent=-\n"
                                             "  TestLeaf home /root/home parent=root\n",
         "load home"},
        {"root:///root/home/broken", "KRNavigationController root /root parent=-\n"
                                     "  TestLeaf home /root/home parent=root\n",
         "load home"},
        {"root:///root/notscreen", "KRNavigationController root /root parent=-\n", ""},
        // A nested stack consumes its own levels.
        {"root:///root/center/home/detail", "KRNavigationController root /root parent=-\n"
                                            "  KRNavigationController center /root/center parent=root\n"
                                            "    TestLeaf home /root/center/home parent=center\n"
                                            "    TestLeaf detail /root/center/home/detail parent=center\n",
         "load home,load detail"},
        {"root:///root", "KRNavigationController root /root parent=-\n", ""},
        // Outside the root's path: nothing below it.
        {"root:///rootx/home", "KRNavigationController root /root parent=-\n", ""},
    };
    for (const auto& r : rows) {
        g_steps.clear();
        EXPECT_TRUE(navigate(r.url)) << r.url;
        EXPECT_EQ(dumpTree(), r.tree) << r.url;
        std::string loads;
        for (auto& s : g_steps)
            loads += (loads.empty() ? "" : ",") + s;
        EXPECT_EQ(loads, r.loads) << r.url;
    }
}

TEST_F(KRRoutingTest, ALeavingChildLosesItsParentAndACachedOneIsReused)
{
    ASSERT_TRUE(navigate("root:///root/home/detail"));
    auto home = root->viewControllers().at(0);
    auto detail = std::dynamic_pointer_cast<KRViewController>(root->viewControllers().at(1));
    ASSERT_TRUE(navigate("root:///root/home/image"));
    EXPECT_EQ(root->viewControllers().at(0), home);
    EXPECT_EQ(detail->parentController(), nullptr);

    // The back button pops the top and clears its link.
    auto image = top();
    auto bar = root->navigationBar();
    root->setNavigationBarHidden(false, false);
    host->advance(0);
    ASSERT_TRUE(host->tapViewWithText("首页"));
    host->advance(0.35);
    EXPECT_EQ(root->viewControllers().size(), 1u);
    EXPECT_EQ(image->parentController(), nullptr);

    // A cached screen that left is displaced, and the next visit reuses it.
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
    for (const char* url : {"other:///root/detail", "pop:///missing", "present:///broken", "present://tab/home",
                            "present:", "nav:///root/detail"}) {
        EXPECT_FALSE(navigate(url)) << url;
        EXPECT_EQ(dumpTree(), before) << url;
    }
    EXPECT_TRUE(KRPopWindow::openWindows().empty());

    // Levels that make no screen say why.
    testing::internal::CaptureStderr();
    navigate("root:///root/home/missing");
    navigate("root:///root/home/broken");
    navigate("root:///root/notscreen");
    std::string log = testing::internal::GetCapturedStderr();
    for (const char* line : {"no screen entry for missing", "screen class NoSuchClass is not known",
                             "NavigationItem is not a screen controller"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(KRRoutingTest, PopAndPresentOpenOverTheScreen)
{
    ASSERT_TRUE(navigate("root:///root/home"));
    // Opened from a leaf: its parent chain reaches the root.
    ASSERT_TRUE(top()->openUrl(*pf::URL::create("pop:///sheet?title=x"), false));
    ASSERT_EQ(KRPopWindow::openWindows().size(), 1u);
    EXPECT_TRUE(KRPopWindow::topPopWindow()->isKeyWindow());
    auto sheet = std::dynamic_pointer_cast<KRViewController>(KRPopWindow::topPopWindow()->rootViewController());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->parentController()->alias(), "home");
    sheet->doAction(action("popclosed"));
    EXPECT_TRUE(KRPopWindow::openWindows().empty());
    EXPECT_EQ(sheet->parentController(), nullptr);
    EXPECT_TRUE(window->isKeyWindow());

    // The root's scheme as host: from the last of the root's modal chain;
    // no host: from the opener; an empty path: the presented one goes away.
    auto home = top();
    auto open = [](const std::shared_ptr<KRViewController>& from, const char* url) {
        return from->openUrl(*pf::URL::create(url), false);
    };
    ASSERT_TRUE(open(home, "present://root/image"));
    auto image = std::dynamic_pointer_cast<KRViewController>(root->modalViewController());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->parentController(), root);
    ASSERT_TRUE(open(image, "present:///detail"));
    auto detail = std::dynamic_pointer_cast<KRViewController>(image->modalViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->parentController(), image);
    ASSERT_TRUE(open(detail, "present://root/sheet"));
    auto sheet2 = std::dynamic_pointer_cast<KRViewController>(detail->modalViewController());
    ASSERT_TRUE(sheet2);
    EXPECT_EQ(sheet2->parentController(), detail);
    ASSERT_TRUE(open(sheet2, "present:"));
    EXPECT_EQ(detail->modalViewController(), nullptr);
    EXPECT_FALSE(open(home, "present:")); // home was not presented
}

TEST_F(KRRoutingTest, ActionsOpenEscapedAndResolvedUrls)
{
    std::vector<std::string> opened;
    KRViewController::setExternalOpener([&](const pf::URL& url) {
        opened.push_back(url.absoluteString());
        return true;
    });
    struct Row {
        const char* from;
        const char* name;
        const char* text;
        const char* topUrl;
    } rows[] = {
        {"root:///root/home", "url", "home/detail", "root:///root/home/detail"},
        {"root:///root/home/detail", "url", ".", "root:///root/home"}, // back one level: home, made in the row above
        {"root:///root/home/detail", "url", "image?title=更换头像", "root:///root/home/image?title=%E6%9B%B4%E6%8D%A2%E5%A4%B4%E5%83%8F"},
        {"root:///root/home/detail", "url", "image?title=a%20b", "root:///root/home/image?title=a%20b"},
        {"root:///root/home/detail", "url", "image?q=100%", "root:///root/home/image?q=100%25"},
        {"root:///root/home", "popclose", "", "root:///root/home"}, // nothing open: nothing happens
    };
    for (const auto& r : rows) {
        ASSERT_TRUE(navigate(r.from));
        top()->doAction(action(r.name, pf::Value(r.text)));
        host->advance(0.35);
        EXPECT_EQ(top()->url()->absoluteString(), r.topUrl) << r.name << " " << r.text;
    }
    for (const char* url : {"http://127.0.0.1/a b", "https://127.0.0.1/", "file:///etc/passwd", "javascript:alert(1)", "tel:1"})
        top()->doAction(action("openUrl", pf::Value(url)));
    top()->doAction(action("openUrl")); // no text: nothing
    EXPECT_EQ(opened, (std::vector<std::string>{"http://127.0.0.1/a%20b", "https://127.0.0.1/"}));
    KRViewController::setExternalOpener(nullptr);
}

TEST_F(KRRoutingTest, ViewDidLoadWiresCompanionsStylesLayoutsThenData)
{
    ASSERT_TRUE(navigate("root:///root/wired"));
    auto wired = top();
    ASSERT_TRUE(wired);
    std::vector<std::string> expected = {"load wired", "context", "parent wired", "styles", "layout"};
    std::vector<std::string> steps(g_steps.begin(), g_steps.begin() + std::min(g_steps.size(), expected.size()));
    EXPECT_EQ(steps, expected);
    EXPECT_TRUE(host->findViewWithText("wired")); // the data outlet read the controller's alias
    EXPECT_EQ(wired->edgesForExtendedLayout(), pf::RectEdges::Top | pf::RectEdges::Left);

    g_steps.clear();
    ASSERT_TRUE(navigate("root:///root/home"));
    wired.reset();
    host->advance(0.35);
    EXPECT_EQ(g_steps, (std::vector<std::string>{"load home", "cancel", "parent none"}));
}

TEST_F(KRRoutingTest, RotationAnswersComeFromTheTopScreen)
{
    ASSERT_TRUE(navigate("root:///root/home/image"));
    struct Row {
        int orientation;
        bool rotates;
    } rows[] = {{1, true}, {2, false}, {3, true}, {4, false}, {7, true}};
    for (const auto& r : rows)
        EXPECT_EQ(root->shouldAutorotateToInterfaceOrientation(r.orientation), r.rotates) << r.orientation;
    EXPECT_EQ(root->supportedInterfaceOrientations(), (1u << 1) | (1u << 3));
    ASSERT_TRUE(navigate("root:///root/home"));
    EXPECT_TRUE(root->shouldAutorotateToInterfaceOrientation(1));
    EXPECT_FALSE(root->shouldAutorotateToInterfaceOrientation(3));
    EXPECT_EQ(root->supportedInterfaceOrientations(), 1u << 1);
}

TEST_F(KRRoutingTest, AContentScreenSwapsItsOneChild)
{
    struct Row {
        const char* url;
        const char* tree;
        const char* loads;
    } rows[] = {
        {"root:///root/box/home", "KRNavigationController root /root parent=-\n"
                                  "  KRContentViewController box /root/box parent=root\n"
                                  "    TestLeaf home /root/box/home parent=box\n",
         "load home"},
        {"root:///root/box/home", "KRNavigationController root /root parent=-\n"
                                  "  KRContentViewController box /root/box parent=root\n"
                                  "    TestLeaf home /root/box/home parent=box\n",
         "load home"},
        {"root:///root/box", "KRNavigationController root /root parent=-\n"
                             "  KRContentViewController box /root/box parent=root\n"
                             "    TestLeaf home /root/box/home parent=box\n",
         ""},
        {"root:///root/box/detail", "KRNavigationController root /root parent=-\n"
                                    "  KRContentViewController box /root/box parent=root\n"
                                    "    TestLeaf detail /root/box/detail parent=box\n",
         "load detail"},
        {"root:///root/box/missing", "KRNavigationController root /root parent=-\n"
                                     "  KRContentViewController box /root/box parent=root\n",
         ""},
    };
    std::shared_ptr<IKRUIViewController> first;
    for (const auto& r : rows) {
        g_steps.clear();
        ASSERT_TRUE(navigate(r.url)) << r.url;
        EXPECT_EQ(dumpTree(), r.tree) << r.url;
        std::string loads;
        for (auto& s : g_steps)
            loads += (loads.empty() ? "" : ",") + s;
        EXPECT_EQ(loads, r.loads) << r.url;
        if (!first)
            first = root->topController();
    }
    auto box = std::dynamic_pointer_cast<KRContentViewController>(root->viewControllers().at(0));
    EXPECT_EQ(first->parentController(), nullptr); // home left when detail came
    EXPECT_EQ(box->topController(), nullptr);

    // Its own scheme reloads it from its level, from anywhere below it.
    ASSERT_TRUE(navigate("root:///root/box/detail"));
    auto detail = top();
    ASSERT_TRUE(detail->openUrl(*pf::URL::create("box:///root/box/home"), false));
    EXPECT_EQ(box->contentViewController()->alias(), "home");
    EXPECT_TRUE(box->contentViewController() != detail);
    EXPECT_TRUE(std::dynamic_pointer_cast<KRViewController>(box->contentViewController())->view()->isDescendantOf(*window));
}

TEST_F(KRRoutingTest, ADocumentScreenShowsItsFilledTemplate)
{
    ASSERT_TRUE(navigate("root:///root/doc"));
    auto doc = std::dynamic_pointer_cast<KRDocumentViewController>(top());
    ASSERT_TRUE(doc && doc->document() && doc->document()->elementById("who"));
    EXPECT_EQ(doc->document()->elementById("who")->text(), "doc|文档|/root");
    auto view = doc->documentView();
    auto scroll = std::dynamic_pointer_cast<pf::ScrollView>(view->superview());
    ASSERT_TRUE(scroll);
    EXPECT_GE(view->frame().height(), 500);
    EXPECT_EQ(view->frame().width(), 320);
    EXPECT_EQ(scroll->contentSize().height, 10 + view->frame().height());
    EXPECT_EQ(view->element(), doc->document()->rootElement());

    // New values show after a reload; names leaving the bundle are refused.
    doc->setTitle("新");
    doc->reloadData();
    EXPECT_EQ(doc->document()->elementById("who")->text(), "doc|新|/root");
    for (const char* name : {"../resources/templates/route.html", "/etc/passwd", "templates/none.html"}) {
        doc->setHtml(name);
        EXPECT_EQ(doc->htmlContent(), std::nullopt) << name;
        doc->reloadData();
        EXPECT_EQ(doc->document()->elementById("who"), nullptr) << name;
    }
}

}
