#include "platform/net/HttpConnection.h"
#include "platform/net/URLCache.h"

#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

namespace {

struct OnePathCache : pf::URLCache {
    std::string url;
    std::optional<pf::CachedURLResponse> cachedResponseForRequest(const pf::HttpRequest& request) override
    {
        if (request.url() != url)
            return std::nullopt;
        return pf::CachedURLResponse{pf::HttpResponse(url, 200, {}), pf::Bytes{'o', 'k', ';'}};
    }
};

}

TEST(URLCacheLookup, ServesStoredAnswersUnlessRequestIgnoresLocalData)
{
    zmr::TestServer server;
    ASSERT_TRUE(server.isRunning());
    auto cache = std::make_shared<OnePathCache>();
    cache->url = server.url("/json");
    pf::URLCache::setShared(cache);
    const std::string fetched = R"({"error-code":0,"value":"ok"})";
    using Policy = pf::URLRequestCachePolicy;
    const std::tuple<Policy, std::string, std::string, std::size_t> rows[] = {
        {Policy::UseProtocolCachePolicy, "/json", "ok;", 0},
        {Policy::ReloadIgnoringLocalCacheData, "/json", fetched, 1},
        {Policy::UseProtocolCachePolicy, "/json?other", fetched, 2},
    };
    for (const auto& [policy, path, body, requestsAfter] : rows) {
        auto result = pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(server.url(path), policy));
        ASSERT_TRUE(result.ok()) << path;
        EXPECT_EQ(std::string(result->body.begin(), result->body.end()), body) << path;
        EXPECT_EQ(server.count("/json"), requestsAfter) << path;
    }
    pf::URLCache::setShared(nullptr); // the default answers nothing
    EXPECT_TRUE(pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(cache->url)).ok());
    EXPECT_EQ(server.count("/json"), 3u);
}
