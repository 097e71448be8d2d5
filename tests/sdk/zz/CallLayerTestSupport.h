#pragma once

// A ZZ server on loopback with the SDK pointed at it and its test CA as the
// only extra trust anchor, and a target that records the answers of calls.

#include "platform/foundation/RunLoop.h"
#include "platform/net/TrustAnchors.h"
#include "sdk/zz/APIBase.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVOSDKServers.h"
#include "tools/zzserver/ZZServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

struct ResponseSink : pf::Object {
    std::vector<std::shared_ptr<APIResponse>> responses;
    APIBase::Selector selector()
    {
        return [](pf::Object& target, const std::shared_ptr<APIResponse>& response) {
            static_cast<ResponseSink&>(target).responses.push_back(response);
        };
    }
};

class ZZServerFixture {
public:
    ZZServerFixture()
    {
        m_caPath = std::filesystem::temp_directory_path().string() + "/zz-ca-" + std::to_string(getpid()) + ".pem";
        server.writeCA(m_caPath);
        pf::setExtraCAFile(m_caPath);
        CVOSDKServers::setHttpOrigin(server.httpOrigin());
        CVOSDKServers::setHttpsOrigin(server.httpsOrigin());
    }
    ~ZZServerFixture()
    {
        pf::setExtraCAFile(std::nullopt);
        CVOSDKServers::reset();
        std::filesystem::remove(m_caPath);
    }

    static bool waitFor(const std::function<bool()>& condition)
    {
        return pf::RunLoop::main().runUntil(condition, pf::Seconds(60));
    }

    // Runs one call to completion and answers its response (null when none came).
    std::shared_ptr<APIResponse> call(const std::string& url, const std::string& method, pf::DictionaryRef params,
                                      const std::function<void(APIBase&)>& open)
    {
        auto sink = std::make_shared<ResponseSink>();
        auto api = std::make_shared<APIBase>(sink, sink->selector(), method, pf::Value());
        if (open)
            open(*api);
        else
            api->openUrl(url, std::string("tok"), std::string("oid"), std::string("app"), params);
        if (!waitFor([&] { return !sink->responses.empty(); }))
            return nullptr;
        return sink->responses.front();
    }

    zmr::ZZServer server;

private:
    std::string m_caPath;
};
