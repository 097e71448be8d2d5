// Links: zmr_screens
// Prize pages of any shape through ZMRPrizeSearchDataSource: the first
// byte chooses a cached or a network delivery, the rest is the answer. Of
// the fields the source writes, "status" must be one of its three texts and
// absent unless both sale times are numbers (JSON numbers or numeric text,
// as every screen reads them), "canBuy" only goes with
// "兑奖中", and "process" must be a finite number in [0, 1] with its
// "processTitle"; the server's clock must stay a number.
#include "app/screens/prizes/ZMRPrizeSearchDataSource.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRNumberText.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool isFinite(const pf::Value& value)
{
    return ZMRDecimalNumber(value).has_value();
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool registered = (registerScreensClasses(), true);
    (void)registered;
    if (size < 1)
        return 0;
    pf::Value answer = KRJSON::decodeText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    // What arrived, before the source adds to the items in place.
    struct Arrived {
        pf::DictionaryRef prize;
        bool status, canBuy, process, timed;
    };
    std::vector<Arrived> arrived;
    if (auto list = dataForKeyPath(answer, "list").array()) {
        for (const pf::Value& item : *list) {
            if (auto prize = item.dictionary())
                arrived.push_back({prize, prize->contains("status"), prize->contains("canBuy"), prize->contains("process"),
                                   isFinite(prize->get("saleTime")) && isFinite(prize->get("endTime"))});
        }
    }
    auto source = std::make_shared<ZMRPrizeSearchDataSource>();
    source->setDataKey(std::string("list"));
    source->setTimestampKey(std::string("timestamp"));
    source->reloadData();
    if (data[0] & 1)
        source->krDownlinkTaskDidLoadedFromCache(answer, pf::Date{pf::Date::now().seconds - data[0] * 1000.0}, nullptr);
    else
        source->krDownlinkTaskDidLoaded(answer, nullptr);
    if (!std::isfinite(source->timestamp()) || !std::isfinite(source->nowTimestamp()))
        std::abort();
    for (const Arrived& item : arrived) {
        const pf::Dictionary& prize = *item.prize;
        if (!item.status) {
            pf::Value status = prize.get("status");
            std::string text = status.stringOr("");
            if (item.timed != status.isString() || (item.timed && text != "兑奖中" && text != "未开始" && text != "已结束"))
                std::abort();
            if (!item.canBuy && prize.contains("canBuy") != (text == "兑奖中"))
                std::abort();
        }
        pf::Value process = prize.get("process");
        if (!item.process && (!isFinite(process) || process.doubleValue() < 0 || process.doubleValue() > 1 ||
                              !prize.get("processTitle").isString()))
            std::abort();
        if (item.process && !std::isfinite(process.doubleValue()))
            std::abort();
    }
    return 0;
}
