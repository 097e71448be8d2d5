// Feed rows filled by the feed list controller against the markup engine
// alone: BM_FeedRows20 fills 20 server entries into row documents through
// ZMRFeedController (the shipped row template, three categories looked up
// through the bus, two tags, the saving and the liked icon) and lays them
// out at 320 points; BM_MarkupRows20 fills, parses and lays out the same 20
// rows from a template that already holds those elements. Run from the
// source folder (the shipped resources are read from "./resources").

#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRTableView.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>

namespace {

constexpr int kRows = 20;
constexpr double kUnbounded = 2147483648.0;

std::string resource(const std::string& name)
{
    auto bytes = pf::readFile(pf::Bundle::main()->resourcePath() + "/" + name);
    if (!bytes)
        std::abort();
    return std::string(bytes->begin(), bytes->end());
}

// Answers category lookups from memory, as the category service answers
// them from its cache; nothing else is sent anywhere. The data tests' bus
// less its notes of what it handled, so a long run does not grow them.
class Bus : public FakeBus {
public:
    std::map<long long, std::shared_ptr<ZMRClassifyObject>> categories;
    KRDOMStyleSheetRef sheet = std::make_shared<KRDOMStyleSheet>();

    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int) override
    {
        if (type != proto::IZMRClassifyGetTask())
            return true;
        auto lookup = std::dynamic_pointer_cast<IZMRClassifyGetTask>(task);
        auto found = categories.find(lookup->cid());
        lookup->setDataObject(found == categories.end() ? nullptr : found->second);
        return true;
    }
    bool cancelHandle(const pf::Protocol*, const pf::ObjectRef&) override { return true; }
    bool cancelHandleForSource(const pf::Object*) override { return false; }
    std::shared_ptr<KRDOMStyleSheet> domStyleSheet() override { return sheet; }
};

std::shared_ptr<Bus> makeBus()
{
    auto bus = std::make_shared<Bus>();
    const char* titles[] = {"服饰", "数码", "食品"};
    for (long long cid = 1; cid <= 3; ++cid) {
        auto category = std::make_shared<ZMRClassifyObject>();
        category->setCid(cid);
        category->setTitle(std::string(titles[cid - 1]));
        bus->categories[cid] = category;
    }
    KRDOMParse().parseCSS(resource("style.css"), *bus->sheet);
    return bus;
}

pf::DictionaryRef entry(int i)
{
    return pf::Dictionary::create({
        {"pid", i + 1},
        {"uid", 10002 + i % 12},
        {"nick", "安琪 " + std::to_string(i)},
        {"logo", "http://127.0.0.1:1/images/portrait.png"},
        {"body", "换季清仓买到一件很喜欢的外套，比商场便宜不少 " + std::to_string(i)},
        {"shopTitle", "河畔商场"},
        {"cids", pf::Value(pf::Array::create({1, 2, 3}))},
        {"tags", pf::Value(pf::Array::create({"包邮", "正品"}))},
        {"payMoney", 1234.5},
        {"expendMoney", 1000.0},
        {"liked", true},
        {"likedCount", 12},
        {"commentCount", 3},
        {"fmtCreateTime", "12-07 02:48"},
        {"fmtDistance", "350米"},
        {"html", "换季清仓买到一件很喜欢的外套，比商场便宜不少&nbsp;" + std::to_string(i)},
    });
}

pf::Value page()
{
    auto list = pf::Array::create();
    for (int i = 0; i < kRows; ++i)
        list->add(pf::Value(entry(i)));
    return pf::Value(pf::Dictionary::create({{"list", pf::Value(list)}}));
}

void BM_FeedRows20(benchmark::State& state)
{
    auto bus = makeBus();
    auto table = std::make_shared<KRTableView>(pf::Rect{0, 0, 320, 568});
    auto rows = std::make_shared<ZMRFeedController>();
    rows->setHtml(std::string("templates/feed_item.html"));
    rows->setContext(bus);
    rows->setTableView(table);
    for (auto _ : state) {
        state.PauseTiming();
        auto source = std::make_shared<ZMRUserFeedDataSource>();
        source->setDataKey(std::string("list"));
        rows->setDataSource(source);
        source->krDownlinkTaskDidLoaded(page(), nullptr);
        // Rows the table may have shown already are built again, timed.
        for (int i = 0; i < kRows; ++i)
            rows->removeDocumentByIndexPath({0, i});
        state.ResumeTiming();
        for (int i = 0; i < kRows; ++i)
            benchmark::DoNotOptimize(rows->documentByIndexPath({0, i}));
    }
}
BENCHMARK(BM_FeedRows20)->Unit(benchmark::kMicrosecond);

// The row template with the elements the filler would add written into it.
std::string markupTemplate()
{
    std::string text = resource("templates/feed_item.html");
    auto insert = [&](const std::string& at, const std::string& children) {
        std::size_t found = text.find(at);
        if (found == std::string::npos)
            std::abort();
        text.replace(found, at.size(), at.substr(0, at.size() - 2) + ">" + children + "</view>");
    };
    std::string pairs;
    for (const char* title : {"服饰", "数码", "食品", "包邮", "正品"})
        pairs += std::string(R"(<img src="ico33.png" width="auto" height="auto" class="tag-image"/>)") +
                 R"(<label width="auto" height="auto" class="tag-label">)" + title + "</label>";
    insert(R"(<view id="tags" width="100%" height="auto" layout="flow" margin-top="6"/>)", pairs);
    insert(R"(<view id="money" width="100%" height="auto" layout="flow" margin-top="4"/>)",
           R"(<label width="auto" height="auto" class="money-title">省¥</label>)"
           R"(<label width="auto" height="auto" class="money-number">234.5</label>)");
    std::string liked = R"(src="ico36.png")";
    text.replace(text.find(liked), liked.size(), R"(src="ico40.png")");
    return text;
}

void BM_MarkupRows20(benchmark::State& state)
{
    auto bus = makeBus();
    const std::string text = markupTemplate();
    for (auto _ : state) {
        state.PauseTiming();
        pf::Value rows = page();
        state.ResumeTiming();
        auto list = rows.dictionary()->get("list").array();
        for (int i = 0; i < kRows; ++i) {
            pf::Value source(pf::Dictionary::create({{"dataItem", list->at(static_cast<std::size_t>(i))}}));
            auto document = KRDOMDocument::create();
            KRDOMParse().parseHTML(htmlStringByDOMSource(text, source), *document);
            document->setStyleSheet(bus->sheet);
            document->rootElement()->layout({320, kUnbounded});
            benchmark::DoNotOptimize(document);
        }
    }
}
BENCHMARK(BM_MarkupRows20)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
