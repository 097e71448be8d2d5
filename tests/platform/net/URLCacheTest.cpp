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
        return pf::CachedURLResponse{pf::HttpResponse(url, 200, {{"Content-Type", "text/javascript"}}),
                                     pf::Bytes{'o', 'k', ';'}};
    }
};

struct Restore {
    ~Restore() { pf::URLCache::setShared(nullptr); }
};

}

TEST(URLCacheLookup, ServesStoredAnswersUnlessRequestIgnoresLocalData)
{
    zmr::TestServer server;
    ASSERT_TRUE(server.isRunning());
    Restore restore;
    auto cache = std::make_shared<OnePathCache>();
    cache->url = server.url("/json");
    pf::URLCache::setShared(cache);

    struct Row {
        pf::URLRequestCachePolicy policy;
        std::string path;
        std::string body;
        std::size_t requestsAfter;
    } rows[] = {
        {pf::URLRequestCachePolicy::UseProtocolCachePolicy, "/json", "ok;", 0},
        {pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, "/json", R"({"error-code":0,"value":"ok"})", 1},
        {pf::URLRequestCachePolicy::UseProtocolCachePolicy, "/json?other", R"({"error-code":0,"value":"ok"})", 2},
    };
    for (const auto& row : rows) {
        auto result = pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(server.url(row.path), row.policy));
        ASSERT_TRUE(result.ok()) << row.path;
        EXPECT_EQ(std::string(result->body.begin(), result->body.end()), row.body) << row.path;
        EXPECT_EQ(result->response.statusCode(), 200);
        EXPECT_EQ(server.count("/json"), row.requestsAfter) << row.path;
    }

    pf::URLCache::setShared(nullptr);
    EXPECT_FALSE(pf::URLCache::shared()->cachedResponseForRequest(pf::HttpRequest(cache->url)));
    auto fetched = pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(cache->url));
    ASSERT_TRUE(fetched.ok());
    EXPECT_EQ(server.count("/json"), 3u);
}
