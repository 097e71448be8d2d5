#include "tools/appserver/AppServerLists.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppServerSocial.h"
#include "tools/appserver/AppServerWorld.h"
#include "tools/appserver/AppStore.h"

#include <httplib.h>

#include <algorithm>
#include <charconv>
#include <string>

namespace zmr {

namespace {

long long numberParam(const httplib::Request& request, const char* name, long long fallback)
{
    if (!request.has_param(name))
        return fallback;
    std::string text = request.get_param_value(name);
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

std::string page(long long code, const std::string& message, const std::string& itemsJson)
{
    std::string out = "{\"status\":{\"code\":" + std::to_string(code) + ",\"message\":" + quote(message) + "},\"data\":{\"items\":[";
    out += itemsJson;
    out += "]}}";
    return out;
}

}

void addListRoutes(httplib::Server& server, std::shared_ptr<AppStore> store, std::function<int()> port)
{
    server.Get(R"(/lists/([A-Za-z0-9_-]+))", [store, port](const httplib::Request& request, httplib::Response& response) {
        std::string name = request.matches[1];
        if (name == "broken") {
            response.set_content(page(17, "列表暂时不可用", ""), "application/json; charset=utf-8");
            return;
        }
        long long start = std::max(0LL, numberParam(request, "start", 0));
        long long count = std::clamp(numberParam(request, "count", 20), 0LL, 1000LL);
        Form query;
        for (const auto& [key, value] : request.params)
            query.emplace("zmr-" + key, value);
        std::vector<std::string> found;
        if (auto world = worldList(*store, name, query, std::nullopt, requestOrigin(request, port()), start, count))
            found = std::move(world->items);
        else
            found = store->listPage(name, static_cast<std::size_t>(start), static_cast<std::size_t>(count));
        std::string items;
        for (const std::string& item : found) {
            if (!items.empty())
                items += ',';
            items += item;
        }
        response.set_content(page(0, "", items), "application/json; charset=utf-8");
    });
}

}
