#include "ScreenTestSupport.h"

#include "framework/core/KRController.h"
#include "framework/core/KRShell.h"
#include "framework/ui/KRContainerClasses.h"
#include "framework/ui/KRNavigationController.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/controls/Button.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

std::vector<std::string> g_log;

std::string drain()
{
    std::string out;
    for (auto& s : std::exchange(g_log, {}))
        out += (out.empty() ? "" : ",") + s;
    return out;
}

class TabLeaf : public KRViewController, public IKRUrlReceiver {
public:
    void receiveUrl(const pf::URL& url, const pf::ObjectRef&) override
    {
        g_log.push_back(alias() + " received " + url.absoluteString());
    }
    void viewWillAppear(bool) override { g_log.push_back(alias() + " will-appear"); }
    void viewDidAppear(bool) override { g_log.push_back(alias() + " did-appear"); }
    void viewWillDisappear(bool) override { g_log.push_back(alias() + " will-disappear"); }
    void viewDidDisappear(bool) override { g_log.push_back(alias() + " did-disappear"); }
};

const char* kConfig = R"({"url": "root:///root", "ui": {
    "root": {"class": "KRNavigationController", "scheme": "root", "navbar-hidden": true},
    "tabs": {"class": "KRTabBarController", "items": [
        {"url": "tab:///home", "title": "首页", "image": "feed-photo"}, {"title": "无"}, {"url": "tab:///missing"},
        {"url": "not a url"}, {"url": "tab:///center", "title": "中心"}]},
    "strip": {"class": "KRTabViewController", "view": "TabScreen", "items": [{"url": "tab:///home"}, {"url": "tab:///center"}]},
    "center": {"class": "KRNavigationController", "navbar-hidden": true},
    "home": {"class": "TabLeaf"}, "detail": {"class": "TabLeaf", "hidesBottomBarWhenPushed": true}, "sheet": {"class": "TabLeaf"},
    "made": {"class": "KRCreatorViewController", "view": "Creator"},
    "wrong": {"class": "KRCreatorViewController", "view": "CreatorWrong"}}})";

class KRTabsTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        static bool registered = false;
        if (!std::exchange(registered, true))
            pf::ClassBuilder<TabLeaf>("TabLeaf").superclass<KRViewController>().commit();
        makeShell(kConfig);
        root = std::dynamic_pointer_cast<KRNavigationController>(showRoot());
        ASSERT_TRUE(root);
        g_log.clear();
    }
    template <class T>
    std::shared_ptr<T> screen(const char* url)
    {
        EXPECT_TRUE(navigate(url)) << url;
        return std::dynamic_pointer_cast<T>(root->topViewController());
    }
    std::string alias(const pf::ViewControllerRef& c)
    {
        auto r = std::dynamic_pointer_cast<IKRUIViewController>(c);
        return r ? r->alias() : "-";
    }

    std::shared_ptr<KRNavigationController> root;
};

}

TEST_F(KRTabsTest, TabBarRoutesUrlsToItsTabs)
{
    auto tabs = screen<KRTabBarController>("root:///root/tabs");
    ASSERT_TRUE(tabs);
    EXPECT_EQ(dumpTree(), "KRNavigationController root /root parent=-\n"
                          "  KRTabBarController tabs /root/tabs parent=root\n"
                          "    TabLeaf home /home parent=tabs\n"
                          "    KRNavigationController center /center parent=tabs\n");
    auto item = std::dynamic_pointer_cast<pf::TabBarItem>(tabs->viewControllers()[0]->tabBarItem());
    ASSERT_TRUE(item);
    EXPECT_EQ(item->title(), "首页");
    EXPECT_TRUE(item->image()) << "through the bundle's named images";

    struct Row {
        const char* url;
        bool opened;
        const char* selected;
        const char* top;
    } rows[] = {
        {"tab:///center/home/detail", true, "center", "detail"},
        {"tab:///home", true, "home", "home"},
        {"tab:///nothing", true, "home", "home"}, // names no tab: the selected one loads it
        {"tab:///center", true, "center", "-"},
        {"other:///home", false, "center", "-"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(tabs->openUrl(*pf::URL::create(r.url), false), r.opened) << r.url;
        host->advance(0.35);
        EXPECT_EQ(alias(tabs->selectedViewController()), r.selected) << r.url;
        auto top = tabs->topController();
        EXPECT_EQ(top ? top->alias() : "-", r.top) << r.url;
    }
    // Handed URLs reach the selected tab only when it takes them.
    g_log.clear();
    tabs->receiveUrl(*pf::URL::create("any:///x"), nullptr); // the navigation tab takes none
    EXPECT_EQ(drain(), "");
    tabs->openUrl(*pf::URL::create("tab:///home"), false);
    host->advance(0.35);
    g_log.clear();
    tabs->receiveUrl(*pf::URL::create("any:///y"), nullptr);
    EXPECT_EQ(drain(), "home received any:///y");

    EXPECT_FALSE(tabs->canOpenUrl(*pf::URL::create("pop:///sheet")));
    EXPECT_TRUE(tabs->openUrl(*pf::URL::create("pop:///sheet"), false)) << "passed up to the root";
    EXPECT_EQ(KRPopWindow::openWindows().size(), 1u);
    EXPECT_TRUE(tabs->openUrl(*pf::URL::create("present:///sheet"), false));
    ASSERT_TRUE(tabs->modalViewController());
    EXPECT_EQ(alias(tabs->modalViewController()), "sheet");
}

TEST_F(KRTabsTest, TabBarSelectsByTapAndHidesUnderAScreenThatAsks)
{
    auto tabs = screen<KRTabBarController>("root:///root/tabs");
    ASSERT_TRUE(tabs);
    host->advance(0);
    g_log.clear();
    double y = tabs->tabBar()->convertRectToView(tabs->tabBar()->bounds(), nullptr).midY();
    host->tap({80, y});
    EXPECT_EQ(alias(tabs->selectedViewController()), "home");
    host->tap({240, y});
    EXPECT_EQ(alias(tabs->selectedViewController()), "center");
    EXPECT_EQ(drain(), "home will-disappear,home did-disappear") << "the empty stack has no screen to tell";
    host->tap({80, y});
    EXPECT_EQ(drain(), "home will-appear,home did-appear");

    tabs->openUrl(*pf::URL::create("tab:///center/home/detail"), false);
    host->advance(0.35);
    EXPECT_TRUE(tabs->tabBar()->isHidden());
    EXPECT_EQ(tabs->contentFrame().height(), tabs->view()->bounds().height());
    EXPECT_EQ(drain(), "home will-disappear,home did-disappear,detail will-appear,detail did-appear");
    tabs->openUrl(*pf::URL::create("tab:///center"), false);
    host->advance(0.35);
    EXPECT_FALSE(tabs->tabBar()->isHidden());

    // A new configuration: the old tabs leave and forget their parent.
    auto oldHome = std::dynamic_pointer_cast<IKRUIViewController>(tabs->viewControllers()[0]);
    auto config = pf::Dictionary::create();
    config->set("items", pf::Value(pf::Array::create()));
    tabs->setConfig(config);
    EXPECT_TRUE(tabs->viewControllers().empty());
    EXPECT_EQ(oldHome->parentController(), nullptr);
}

TEST_F(KRTabsTest, TabScreenSelectsAndForwardsAppearance)
{
    auto strip = screen<KRTabViewController>("root:///root/strip");
    ASSERT_TRUE(strip);
    host->advance(0);
    auto buttons = strip->tabButtons();
    ASSERT_EQ(buttons->count(), 2u);
    auto button = [&](std::size_t i) { return buttons->at(i).objectAs<pf::Button>(); };
    EXPECT_EQ(drain(), "home will-appear,home did-appear");

    struct Row {
        unsigned index;
        unsigned selected;
        const char* log;
    } rows[] = {
        {1, 1, "home will-disappear,home did-disappear"}, // the stack's root is empty
        {1, 1, ""},                                        // the same index: nothing, buttons untouched
        {7, 0, "home will-appear,home did-appear"},        // past the end: the first
    };
    for (const auto& r : rows) {
        strip->setSelectedIndex(r.index);
        EXPECT_EQ(strip->selectedIndex(), r.selected) << r.index;
        EXPECT_EQ(button(r.selected)->isSelected(), true) << r.index;
        EXPECT_EQ(button(1 - r.selected)->isSelected(), false) << r.index;
        EXPECT_EQ(drain(), r.log) << r.index;
    }
    auto home = strip->selectedViewController();
    EXPECT_EQ(home->view()->superview(), strip->contentView());
    EXPECT_EQ(home->view()->frame(), strip->contentView()->bounds());

    // Out of a window the views change places but nobody appears.
    root->view()->removeFromSuperview();
    strip->setSelectedIndex(1);
    EXPECT_EQ(drain(), "");
    window->addSubview(root->view());
    strip->setSelectedIndex(0);
    host->advance(0);

    // Taps: the other button selects; the selected one takes a stack back to its root.
    ASSERT_TRUE(strip->openUrl(*pf::URL::create("tab:///center/home/detail"), false));
    auto center = std::dynamic_pointer_cast<KRNavigationController>(strip->selectedViewController());
    ASSERT_TRUE(center);
    EXPECT_EQ(center->viewControllers().size(), 2u);
    host->tap({80, 470});
    EXPECT_EQ(strip->selectedIndex(), 0u);
    host->tap({240, 470});
    ASSERT_EQ(strip->selectedIndex(), 1u);
    host->tap({240, 470});
    host->advance(0.35);
    EXPECT_EQ(center->viewControllers().size(), 1u);
}

TEST_F(KRTabsTest, CreatorHandsOverTheControllerItsFileConnects)
{
    auto made = shell->getViewController(*pf::URL::create("root:///made"), "/");
    ASSERT_TRUE(made);
    EXPECT_EQ(std::string(pf::Class::of(*std::dynamic_pointer_cast<pf::Object>(made))->name()), "TabLeaf");
    EXPECT_EQ(shell->getViewController(*pf::URL::create("root:///wrong"), "/"), nullptr); // its file gives a view
}

TEST_F(KRTabsTest, TabBarCompanionsLoseTheirContextWhenItUnloadsOrGoes)
{
    enum class End { Unload, Release };
    for (End end : {End::Unload, End::Release}) {
        auto tabs = std::make_shared<KRTabBarController>();
        auto companion = std::make_shared<KRController>();
        auto owner = std::make_shared<KRController>();
        tabs->setControllers(pf::Array::create({pf::Value(companion)}));
        tabs->setContext(std::static_pointer_cast<IKRUIContext>(shell));
        tabs->view();
        companion->setDelegate(owner);
        ASSERT_EQ(companion->context(), std::static_pointer_cast<IKRUIContext>(shell)) << "given when the view loads";
        if (end == End::Unload) {
            tabs->didReceiveMemoryWarning(); // in no window: the view goes
            ASSERT_FALSE(tabs->isViewLoaded());
        } else {
            tabs.reset();
        }
        EXPECT_FALSE(companion->context()) << int(end);
        EXPECT_FALSE(companion->delegate()) << int(end);
    }
}
