#include "tests/app/services/AppServerProcess.h"
#include "tests/framework/data/TableRig.h"

#include "app/screens/ZMRFeedDataSource.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

// The seeded feed of the application server in a table: the network page,
// page 2 at the end, a pull to refresh, the cached page first on a second
// run, and the cached rows kept when the server is gone. PNGs of the table
// are written beside the test for a look.
class ZMRFeedTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRunning());
        std::string pattern = (std::filesystem::temp_directory_path() / "zmr-feed-table-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home = pattern;
        pf::setHomeDirectory(home);
        pf::UserDefaults::resetStandard();
        KRDownlinkService::resetSharedCache();
        mainBundle = pf::Bundle::main();
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources"));
        auto types = [](std::initializer_list<pf::Value> names) { return pf::Value(pf::Array::create(names)); };
        auto services = pf::Array::create({
            pf::Dictionary::create({{"class", "ZMRAPIService"}, {"taskTypes", types({"IKRAPIWillRequestTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRHttpService"}, {"inherit", true}, {"timeout", 5.0}, {"taskTypes", types({"IKRHttpTask", "IKRHttpAPITask"})}}),
            pf::Dictionary::create({{"class", "KRAPIService"}, {"url", server.url()}, {"taskTypes", types({"IKRAPIRequestTask", "IKRAPICancelTask"})}}),
            pf::Dictionary::create({{"class", "ZMRDownlinkService"}, {"taskTypes", types({"IZMRDownlinkTask", "IKRAPIResponseTask"})}}),
            pf::Dictionary::create({{"class", "KRImageService"}, {"taskTypes", types({"IKRImageTask", "IKRLocalImageTask"})}}),
        });
        shell = ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
    }
    void TearDown() override
    {
        shell.reset();
        pf::Bundle::setMain(mainBundle);
        KRDownlinkService::resetSharedCache();
        pf::UserDefaults::resetStandard();
        std::filesystem::remove_all(home);
    }
    std::shared_ptr<ZMRFeedDataSource> attachFeed(TableRig& rig)
    {
        auto feed = std::make_shared<ZMRFeedDataSource>();
        feed->setTaskType(std::string("ZMRFeedsTask"));
        feed->setDataKey(std::string("list"));
        feed->setAllowCached(true);
        rig.table->setFrame({0, 20, 320, 548});
        rig.table->setRowHeight(66);
        rig.controller->setDataSource(feed);
        rig.controller->setContext(shell);
        return feed;
    }
    bool settled(TableRig& rig, KRDataSource& source)
    {
        bool done = pf::RunLoop::main().runUntil([&] { return !source.isLoading(); }, pf::Seconds(15));
        KRDownlinkService::dispatchQueue()->sync([] {});
        rig.host.advance(0.5);
        return done;
    }
    // The first row's picture and texts, on the screen.
    std::string firstRow(TableRig& rig)
    {
        auto cell = rig.table->cellForRowAtIndexPath({0, 0});
        if (!cell)
            return "no cell";
        auto frame = rig.host.render();
        auto px = frame.value()->pixelAtPoint(cell->convertPointToView({35, 33}, nullptr));
        std::string out = px.r > 200 && px.g < 160 && px.b < 100 ? "photo " : "no photo ";
        for (const auto& view : cell->subviews())
            if (auto label = std::dynamic_pointer_cast<pf::Label>(view))
                out += label->text() + "|";
        return out;
    }

    AppServerProcess server;
    std::string home;
    std::shared_ptr<pf::Bundle> mainBundle;
    std::shared_ptr<ZMRShell> shell;
};

}

TEST_F(ZMRFeedTable, NetworkPagePageTwoPullCacheAndServerGone)
{
    {
        TableRig rig("FeedCell");
        auto feed = attachFeed(rig);
        rig.controller->reloadData();
        ASSERT_TRUE(settled(rig, *feed));
        EXPECT_EQ(rig.table->numberOfRowsInSection(0), 20);
        EXPECT_EQ(firstRow(rig), "photo Saved on purchase 1|Riverside Mall 省了 ¥11.5|");
        rig.host.writePng("feed-table-page1.png");

        rig.table->setContentOffset({0, 20 * 66 - 548});
        rig.controller->scrollViewDidScroll(*rig.table);
        ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return feed->isLoading(); }, pf::Seconds(15)));
        EXPECT_EQ(rig.table->tableFooterView(), rig.bottom);
        ASSERT_TRUE(settled(rig, *feed));
        EXPECT_EQ(rig.table->numberOfRowsInSection(0), 40);
        rig.table->setContentOffset({0, 20 * 66 - 300});
        rig.host.writePng("feed-table-page2.png");

        rig.table->setContentOffset({0, 0});
        rig.host.touchDown({160, 60});
        for (double y = 80; y <= 300; y += 20)
            rig.host.touchMove({160, y});
        rig.host.touchUp({160, 300});
        rig.host.advance(1);
        ASSERT_TRUE(feed->isLoading() && feed->isSkipCached());
        rig.host.writePng("feed-table-pulled.png");
        ASSERT_TRUE(settled(rig, *feed));
        EXPECT_EQ(rig.table->numberOfRowsInSection(0), 20);
        EXPECT_EQ(rig.heard->events, "will loaded will loaded will loaded ");
    }
    for (const char* run : {"cached first", "server gone"}) {
        if (std::string(run) == "server gone")
            server.kill();
        TableRig rig("FeedCell");
        auto feed = attachFeed(rig);
        rig.controller->reloadData();
        ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return rig.table->numberOfRowsInSection(0) == 20; }, pf::Seconds(15)));
        ASSERT_TRUE(settled(rig, *feed));
        EXPECT_EQ(rig.table->numberOfRowsInSection(0), 20) << run;
        EXPECT_EQ(firstRow(rig), "photo Saved on purchase 1|Riverside Mall 省了 ¥11.5|") << run;
        EXPECT_EQ(rig.heard->events, std::string("will ") + (run[0] == 'c' ? "loaded " : "")) << run;
    }
}
