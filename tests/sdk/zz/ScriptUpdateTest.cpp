#include "CallLayerTestSupport.h"
#include "ScriptPackageSupport.h"

#include "platform/foundation/UserDefaults.h"
#include "sdk/zz/CVZipArchive.h"
#include "sdk/zz/JsUpdateManager.h"
#include "sdk/zz/JsUpdateTimer.h"
#include "sdk/zz/JsUpdateVersionController.h"
#include "sdk/zz/JsUpdateVersionInfo.h"
#include "tools/zzpackage/ZZPackageBuilder.h"

#include <gtest/gtest.h>

namespace {

std::vector<zmr::ZZScriptFile> scripts(const std::string& tag)
{
    return {{"corvana.js", "var corvana = '" + tag + "';"}, {"init.js", "var init = 1;"}, {"a_b.js", "var ab;"}};
}

std::string package(const std::string& tag, const std::string& config, const zmr::ZZPackageKey& key = testKey())
{
    std::string path = makeScratch() + "/p.zip";
    EXPECT_TRUE(zmr::ZZPackageBuilder::writePackage(key, scripts(tag), config, path));
    std::string bytes = slurp(path);
    fs::remove_all(fs::path(path).parent_path());
    return bytes;
}

class ScriptUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = makeScratch();
        pf::setHomeDirectory(m_home);
        pf::UserDefaults::resetStandard();
        m_bundle = std::make_unique<ScopedBundle>(testKey().certificateDER());
        setBundlePackage(package("bundle", R"({"version":5,"frequency":0})"));
        m_clock = std::make_shared<ManualUpdateClock>();
        JsUpdateTimer::setClock(m_clock);
    }
    void TearDown() override
    {
        JsUpdateTimer::setClock(nullptr);
        m_bundle.reset();
        fs::remove_all(m_home);
    }
    void setBundlePackage(const std::string& bytes)
    {
        spit(fs::path(m_bundle->root()) / TOSDKRSACryptor::bundleName / "js.zip", bytes);
    }
    std::string installed(const JsUpdateManager& manager, const char* file = "corvana.js")
    {
        return slurp(manager.jsFinalFolderPath() + "/" + file);
    }
    std::string version() { return pf::UserDefaults::standard().stringForKey("latest_js_version").value_or("-"); }

    std::string m_home;
    std::unique_ptr<ScopedBundle> m_bundle;
    std::shared_ptr<ManualUpdateClock> m_clock;
    ZZServerFixture m_zz;
    zmr::ZZServer& m_server = m_zz.server;
};

}

TEST_F(ScriptUpdate, FirstLaunchInstallsTheBundleThenTheTimerInstallsAnUpdate)
{
    JsUpdateManager manager;
    auto controller = manager.versionController();
    EXPECT_FALSE(controller->getJsInfo());
    ASSERT_TRUE(manager.loadBundleJsZip());
    auto info = controller->getJsInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->files(), (std::vector<std::string>{manager.jsFinalFolderPath() + "/init.js",
                                                      manager.jsFinalFolderPath() + "/corvana.js",
                                                      manager.jsFinalFolderPath() + "/a_b.js"}));
    EXPECT_EQ(version(), "5");
    EXPECT_FALSE(controller->getLastUpdateTime());
    EXPECT_EQ(controller->getFinalFrequency(), 30);
    EXPECT_EQ(controller->getTimerDelay(), 0u);

    m_server.setScriptPackage("6", package("six", R"({"version":6,"frequency":45})"));
    manager.setTimer(static_cast<std::uint32_t>(controller->getFinalFrequency()), controller->getTimerDelay());
    manager.startTimer(JsUpdateManager::businessCode);
    m_clock->advanceMinutes(0);
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return version() == "6" && !manager.isWorking(); }));
    EXPECT_EQ(installed(manager), "var corvana = 'six';");
    EXPECT_EQ(controller->getFrequency(), 45);
    EXPECT_TRUE(controller->getLastUpdateTime());
    auto checks = m_server.received(zmr::ZZServer::checkPath);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].param("hver"), "5");
    EXPECT_EQ(checks[0].param("biz"), "107");
    EXPECT_FALSE(fs::exists(manager.jsTmpFolderPath()));

    manager.stopTimer();
}

TEST_F(ScriptUpdate, TimerDelayRows)
{
    JsUpdateVersionController controller(m_home + "/none");
    struct Row {
        std::optional<double> minutesAgo;
        long long frequency;
        std::uint32_t delay;
    } rows[] = {
        {std::nullopt, 30, 0}, {10, 30, 20}, {45, 30, 0}, {30, 30, 0}, {0, 0, 0}, {-20, 30, 30}, {1, 99999, 0},
    };
    for (const Row& row : rows) {
        pf::UserDefaults& defaults = pf::UserDefaults::standard();
        defaults.setObject(row.frequency, "update_frequency");
        if (row.minutesAgo)
            defaults.setObject(pf::Value(pf::Date{m_clock->now().seconds - *row.minutesAgo * 60}), "last_update_time");
        else
            defaults.removeObjectForKey("last_update_time");
        EXPECT_EQ(controller.getTimerDelay(), row.delay) << row.frequency;
    }
}

TEST_F(ScriptUpdate, BadPackagesAndAnswersChangeNothing)
{
    JsUpdateManager manager;
    ASSERT_TRUE(manager.loadBundleJsZip());
    auto foreign = zmr::ZZPackageKey::generate(1024);
    // Signed lists over other files than the archive holds, or archives
    // with more at the top level than they may have.
    auto handMade = [&](const std::vector<zmr::ZZScriptFile>& files, const char* extraEntry) {
        std::string path = m_home + "/hand.zip", list = zmr::ZZPackageBuilder::verifyList(scripts("x"));
        pf::Bytes signature = testKey().sign(pf::Bytes(list.begin(), list.end()));
        CVZipArchive archive(path);
        EXPECT_TRUE(archive.open());
        for (const auto& file : files)
            archive.writeData(pf::Bytes(file.content.begin(), file.content.end()), "js/" + file.name);
        archive.writeData(pf::Bytes(list.begin(), list.end()), "js/verify.json");
        archive.writeData(signature, "js/verify.signature");
        archive.writeData(pf::Bytes{'{', '"', 'v', 'e', 'r', 's', 'i', 'o', 'n', '"', ':', '7', '}'}, "config.json");
        if (extraEntry)
            archive.writeData(pf::Bytes{'x'}, extraEntry);
        EXPECT_TRUE(archive.close());
        return slurp(path);
    };
    std::string tampered = handMade(scripts("y"), nullptr);
    std::string extra = handMade(scripts("x"), "evil.txt");
    std::string intoFinal = handMade(scripts("x"), "finaljs/corvana.js");
    // A second entry of a signed file replaces the first on disk.
    std::string secondScript = handMade(scripts("x"), "js/corvana.js");
    std::string secondList = handMade(scripts("x"), "js/verify.json");
    ASSERT_EQ(handMade(scripts("x"), nullptr).empty(), false);
    struct Row {
        const char* label;
        std::string checkBody; // empty: the server's own offer
        std::string package;
    } rows[] = {
        {"foreign signature", "", package("x", R"({"version":7})", *foreign)},
        {"digest mismatch", "", tampered},
        {"version not digits", "", package("x", R"({"version":"7a"})")},
        {"not a zip", "", "PK garbage"},
        {"extra top-level entry", "", extra},
        {"entry aimed at the installed folder", "", intoFinal},
        {"script replaced by a later entry", "", secondScript},
        {"list replaced by a later entry", "", secondList},
        {"check not JSON", "<html>", package("x", R"({"version":7})")},
        {"type 2", R"({"type":2,"version":7,"url":"URL"})", package("x", R"({"version":7})")},
        {"check over 64 KiB", std::string(70000, ' ') + R"({"type":1,"version":7,"url":"URL"})", package("x", R"({"version":7})")},
        {"file URL", R"({"type":1,"version":7,"url":"file:///etc/passwd"})", package("x", R"({"version":7})")},
        {"download 404", R"({"type":1,"version":7,"url":"HTTPS/missing.zip"})", package("x", R"({"version":7})")},
    };
    for (const Row& row : rows) {
        m_server.setScriptPackage("7", row.package);
        if (!row.checkBody.empty()) {
            std::string body = row.checkBody;
            if (auto at = body.find("HTTPS"); at != std::string::npos)
                body.replace(at, 5, m_server.httpsOrigin());
            if (auto at = body.find("URL"); at != std::string::npos && body.find("\"URL\"") != std::string::npos)
                body.replace(at, 3, m_server.httpsOrigin() + "/pub/js/7.zip");
            zmr::ZZServer::Answer answer;
            answer.body = body;
            m_server.queue(zmr::ZZServer::checkPath, answer);
        }
        manager.update(JsUpdateManager::businessCode);
        EXPECT_EQ(version(), "5") << row.label;
        EXPECT_EQ(installed(manager), "var corvana = 'bundle';") << row.label;
        EXPECT_FALSE(fs::exists(manager.jsTmpFolderPath())) << row.label;
        EXPECT_FALSE(fs::exists(manager.libCachesFolderPath() + "/.staging")) << row.label;
        EXPECT_FALSE(fs::exists(manager.libCachesFolderPath() + "/evil.txt")) << row.label;
    }
}

TEST_F(ScriptUpdate, ValidateOnItsOwnReadsTheExtractedFolderBack)
{
    JsUpdateManager manager;
    ASSERT_TRUE(manager.loadBundleJsZip());
    setBundlePackage(package("next", R"({"version":8})"));
    ASSERT_TRUE(manager.loadBundleJsZip());
    EXPECT_EQ(installed(manager), "var corvana = 'next';");
    // Extracted, then changed before the separate install step.
    ASSERT_TRUE(manager.unzip());
    spit(manager.jsTmpFolderPath() + "/corvana.js", "var corvana = 'changed';");
    EXPECT_FALSE(manager.validate(false));
    EXPECT_EQ(installed(manager), "var corvana = 'next';");
    EXPECT_EQ(version(), "8");
    ASSERT_TRUE(manager.unzip());
    EXPECT_TRUE(manager.validate(false));
}

TEST_F(ScriptUpdate, OfferOfTheSameVersionStillInstallsAndStaleFilesNeverDo)
{
    JsUpdateManager manager;
    ASSERT_TRUE(manager.loadBundleJsZip());
    m_server.setScriptPackage("5", package("again", R"({"version":5,"frequency":10080})"));
    zmr::ZZServer::Answer offer;
    offer.body = R"({"type":1,"version":5,"url":")" + m_server.httpsOrigin() + "/pub/js/5.zip\"}";
    m_server.queue(zmr::ZZServer::checkPath, offer);
    manager.update(JsUpdateManager::businessCode);
    EXPECT_EQ(installed(manager), "var corvana = 'again';");
    EXPECT_EQ(manager.versionController()->getFrequency(), 10080);

    // A copy of another package left in the temporary folder is not taken
    // for the bundle's, and a "js" folder left by a crash is gone at start.
    spit(pf::temporaryDirectory() + "/bundlejs.zip", package("stale", R"({"version":9})"));
    fs::create_directories(manager.jsTmpFolderPath());
    JsUpdateManager restarted;
    EXPECT_FALSE(fs::exists(restarted.jsTmpFolderPath()));
    ASSERT_TRUE(restarted.loadBundleJsZip());
    EXPECT_EQ(installed(restarted), "var corvana = 'bundle';");
    EXPECT_EQ(version(), "5");

    struct Row {
        const char* config;
        long long frequency;
    } rows[] = {
        {R"({"version":5,"frequency":30})", 30}, {R"({"version":5,"frequency":10081})", 0},
        {R"({"version":5,"frequency":-1})", 0},  {R"({"version":5,"frequency":2.5})", 0},
        {R"({"version":5,"frequency":"30"})", 0},
    };
    for (const Row& row : rows) {
        setBundlePackage(package("bundle", row.config));
        ASSERT_TRUE(restarted.loadBundleJsZip()) << row.config;
        EXPECT_EQ(restarted.versionController()->getFrequency(), row.frequency) << row.config;
    }
}
