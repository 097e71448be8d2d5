// Links: zmr_screens pf_host
// Input: the first eight bytes are the server clock (a double, whatever its
// bits), the rest a prize answer in JSON, shown on the shipped prize details
// template and ticked twice (the second tick a second later). Checked after
// each tick: the prize's "status" is one of "未开始", "兑奖中", "已结束" or
// absent; with a status the countdown element "time" holds either the four
// whole numbers of days (>= 0), hours (< 24), minutes (< 60) and seconds
// (< 60) with their units, or the end date alone; without one it is empty;
// every frame is finite. A prize that is no dictionary shows "error".
#include "FontLeakSuppressions.h"
#include "app/screens/prizes/ZMRPrizeDetailsController.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/host/HeadlessHost.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A prize source with the clock of the input; it answers only when told.
class ClockedPrizeSource : public KRDataSource {
public:
    double nowTimestamp() const { return now; }
    void reloadData() override {}
    void answer(const pf::Value& prize)
    {
        dataObjects()->clear();
        if (!prize.isNil())
            dataObjects()->add(prize);
        if (auto delegate = dataSourceDelegate())
            delegate->krDataSourceDidLoaded(*this);
    }
    double now = 0;
};

void checkFinite(const KRDOMElement& element)
{
    pf::Rect f = element.frame();
    for (double v : {f.x(), f.y(), f.width(), f.height()})
        check(std::isfinite(v));
    for (const auto& child : element.childs())
        checkFinite(*child);
}

long long wholeNumber(const std::string& text)
{
    long long value = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    check(error == std::errc() && end == text.data() + text.size());
    return value;
}

void checkTick(ZMRPrizeDetailsController& controller)
{
    pf::DictionaryRef prize = controller.dataItem().dictionary();
    check(bool(prize));
    pf::Value status = prize->get("status");
    auto document = controller.document();
    check(bool(document));
    checkFinite(*document->rootElement());
    auto time = document->elementById("time");
    check(bool(time));
    const auto& labels = time->childs();
    if (status.isNil()) {
        check(labels.empty());
        return;
    }
    const std::string shown = status.stringOr("");
    check(shown == "未开始" || shown == "兑奖中" || shown == "已结束");
    if (labels.size() == 1) {
        check(!labels[0]->text().empty()); // the end date
        return;
    }
    check(labels.size() == 8);
    const char* const units[] = {"天", "时", "分", "秒"};
    const long long limits[] = {-1, 24, 60, 60};
    for (int i = 0; i < 4; ++i) {
        long long value = wholeNumber(labels[static_cast<std::size_t>(2 * i)]->text());
        check(value >= 0 && (limits[i] < 0 || value < limits[i]));
        check(labels[static_cast<std::size_t>(2 * i + 1)]->text() == units[i]);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static pf::HeadlessHost* host = [] {
        registerScreensClasses();
        pf::ClassBuilder<ClockedPrizeSource>("FuzzClockedPrizeSource")
            .superclass<KRDataSource>()
            .readonlyProperty("nowTimestamp", &ClockedPrizeSource::nowTimestamp)
            .commit();
        return new pf::HeadlessHost;
    }();
    (void)host;
    double now = 0;
    if (size >= sizeof now) {
        std::memcpy(&now, data, sizeof now);
        data += sizeof now;
        size -= sizeof now;
    }
    pf::Value prize = KRJSON::decodeText(std::string(reinterpret_cast<const char*>(data), size));
    if (pf::DictionaryRef dictionary = prize.dictionary()) {
        dictionary->remove("status"); // the page's own verdict is under test
        dictionary->remove("logo");   // no picture leaves for an address of the input
    }

    auto source = std::make_shared<ClockedPrizeSource>();
    source->now = now;
    auto view = KRDOMView::create(pf::Rect(0, 0, 320, 568));
    auto controller = std::make_shared<ZMRPrizeDetailsController>();
    controller->setHtml("templates/prize_details.html");
    controller->setDocumentView(view);
    view->setDelegate(controller);
    auto status = std::make_shared<KRStatusView>();
    controller->setStatusView(status);
    controller->setDataSource(source);
    source->setDelegate(controller);

    source->answer(prize);
    if (!prize.dictionary()) {
        check(status->status() == std::optional<std::string>("error"));
    } else {
        checkTick(*controller);
        source->now = now + 1;
        controller->refreshTime();
        checkTick(*controller);
    }
    controller->cancel();
    return 0;
}
