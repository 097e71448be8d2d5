// Markup engine throughput: the tokenizer against libxml2's HTML SAX parser
// and gumbo on the same megabyte of cell markup, and parse + style + layout
// of feed cells against a 300-rule style sheet.

#include "bench/BenchMarkup.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "framework/dom/dom_css.h"
#include "framework/dom/dom_html.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <libxml/HTMLparser.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace benchmarkup;


const std::string& megabyteOfCells()
{
    static const std::string text = [] {
        std::string all;
        for (int n = 0; all.size() < 1024 * 1024; n++)
            all += cell(n);
        return all;
    }();
    return text;
}

void BM_KRTokenize_1MB(benchmark::State& state)
{
    const std::string& text = megabyteOfCells();
    dom_html_callbacks table = noopTable();
    int parent = 0;
    if (!dom_html_parse(&table, text.c_str(), &parent, nullptr))
        state.SkipWithError("the cell markup does not parse");
    for (auto _ : state) {
        int ok = dom_html_parse(&table, text.c_str(), &parent, nullptr);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_KRTokenize_1MB)->Unit(benchmark::kMillisecond);

void saxStart(void*, const xmlChar*, const xmlChar**) {}
void saxEnd(void*, const xmlChar*) {}
void saxCharacters(void*, const xmlChar*, int) {}

void BM_LibxmlHtml_1MB(benchmark::State& state)
{
    const std::string& text = megabyteOfCells();
    for (auto _ : state) {
        htmlParserCtxtPtr ctxt = htmlCreateMemoryParserCtxt(text.data(), int(text.size()));
        htmlSAXHandler sax{};
        sax.startElement = saxStart;
        sax.endElement = saxEnd;
        sax.characters = saxCharacters;
        *ctxt->sax = sax;
        htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        htmlParseDocument(ctxt);
        htmlFreeParserCtxt(ctxt);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_LibxmlHtml_1MB)->Unit(benchmark::kMillisecond);

void BM_Gumbo_1MB(benchmark::State& state)
{
    const std::string& text = megabyteOfCells();
    for (auto _ : state) {
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, text.data(), text.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Gumbo_1MB)->Unit(benchmark::kMillisecond);

void BM_CellLayout_1000(benchmark::State& state)
{
    constexpr int kCells = 1000;
    std::vector<std::string> cells;
    for (int n = 0; n < kCells; n++) {
        std::string markup = cell(n);
        // Give each cell a few of the sheet's class words as well.
        markup.replace(markup.find("cell feed"), 9, "cell feed c" + std::to_string(n % 288));
        cells.push_back(std::move(markup));
    }
    KRDOMStyleSheetRef sheet = sheetOf300Rules();
    dom_html_callbacks table = elementTable();
    KRDOMElementRef probe = KRDOMElement::create("__ROOT__");
    if (!dom_html_parse(&table, cells[0].c_str(), &probe, nullptr) || probe->childs().size() != 1)
        state.SkipWithError("a cell does not parse into one element");
    for (auto _ : state) {
        for (const std::string& markup : cells) {
            KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
            dom_html_parse(&table, markup.c_str(), &wrapper, nullptr);
            KRDOMDocumentRef document = KRDOMDocument::create();
            document->setStyleSheet(sheet);
            document->setRootElement(wrapper->childs().size() == 1 ? wrapper->childs()[0] : wrapper);
            pf::Size size = document->rootElement()->layout({320, kKRLayoutAuto});
            benchmark::DoNotOptimize(size);
        }
    }
    state.counters["per_cell"] =
        benchmark::Counter(kCells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["rules"] = double(sheet->styles().size());
}
BENCHMARK(BM_CellLayout_1000)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
