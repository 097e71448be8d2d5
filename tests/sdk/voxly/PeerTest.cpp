#include "VoxlyTestSupport.h"
#include "tests/sdk/PeerAppSupport.h"

#include "platform/foundation/Collections.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

namespace voxly::test {
namespace {

int runVoxlyApp(std::vector<std::string> arguments)
{
    return sdk::test::runPeerApp(VOXLYAPP_PATH, std::move(arguments));
}

class VoxlyPeer : public VoxlyTest {
protected:
    void SetUp() override
    {
        VoxlyTest::SetUp();
        ASSERT_TRUE(sdk::test::receiveURLsAsApp("vx" + std::string(kAppKey)));
    }
    void TearDown() override
    {
        pf::Application::shared().stopReceivingURLs();
        VoxlyTest::TearDown();
    }
};

TEST_F(VoxlyPeer, ScriptedAnswersFromARealProcess)
{
    struct Row {
        const char* script;
        const char* system;
        long long status; // of the delivered answer; 1 for none
    } rows[] = {
        {"approve", "6.1", 0},        {"approve", "7.0", 0},          {"deny", "6.1", -3},
        {"cancel", "7.0", -1},        {"wrong-id", "6.1", 1},         {"request-class", "6.1", 1},
        {"no-expiry", "7.0", 1},      {"no-archive", "6.1", 1},       {"foreign-request", "6.1", 1},
        {"40mib", "6.1", 1},
    };
    zmr::VoxlyWebServer web;
    for (const auto& row : rows) {
        std::string label = std::string(row.script) + " " + row.system;
        TearDown();
        SetUp();
        setSystemVersion(row.system);
        ASSERT_EQ(runVoxlyApp({"--install", "--script", row.script}), 0) << label;
        auto request = VXAuthorizeRequest::request();
        request->redirectURI = "http://127.0.0.1/voxly/authorized";
        request->scope = "";
        ASSERT_TRUE(VoxlySDK::sendRequest(request)) << label;
        // The answer's URL comes back whatever the script wrote.
        ASSERT_TRUE(waitFor([&] { return !app->urls.empty(); })) << label;
        pf::RunLoop::main().runUntilIdle();
        if (row.status == 1) {
            EXPECT_TRUE(app->sdk->responses.empty()) << label;
            continue;
        }
        ASSERT_EQ(app->sdk->responses.size(), 1u) << label;
        auto response = std::dynamic_pointer_cast<VXAuthorizeResponse>(app->sdk->responses[0]);
        ASSERT_TRUE(response) << label;
        EXPECT_EQ(response->statusCode, row.status) << label;
        EXPECT_EQ(response->requestID, request->requestID());
        EXPECT_EQ(response->accessToken.has_value(), row.status == 0) << label;
        if (row.status == 0) {
            ASSERT_TRUE(response->userInfo());
            EXPECT_EQ(response->userInfo()->string("expires_in"), "7200");
            // The web stand-in's person, whose token any web stand-in knows.
            EXPECT_EQ(response->userID, zmr::VoxlyWebServer::uid()) << label;
            EXPECT_EQ(web.tokenOwner(response->accessToken.value_or("")), zmr::VoxlyWebServer::uid()) << label;
        }
    }
}

}
}
