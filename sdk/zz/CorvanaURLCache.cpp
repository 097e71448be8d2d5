#include "sdk/zz/CorvanaURLCache.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/net/HttpRequest.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/TOSDKRSACryptor.h"

std::optional<pf::CachedURLResponse> CorvanaURLCache::cachedResponseForRequest(const pf::HttpRequest& request)
{
    if (request.url() != CVOSDKServers::kJSSDKScriptURL)
        return pf::URLCache::cachedResponseForRequest(request);
    std::string path = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/jssdk.js";
    std::optional<pf::Bytes> data = pf::readFile(path);
    if (!data)
        return pf::URLCache::cachedResponseForRequest(request);
    pf::HttpHeaderFields headers = {{"Content-Type", "text/javascript"},
                                    {"Content-Length", std::to_string(data->size())}};
    return pf::CachedURLResponse{pf::HttpResponse(request.url(), 200, std::move(headers)), std::move(*data)};
}
