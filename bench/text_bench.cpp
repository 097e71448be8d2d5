// Rich text and templates: a rich text built from a 2 KB mixed Chinese and
// Latin paragraph with three links and two inline images and laid out at
// 300 points, against a bare layout-library layout of the same text and
// attributes; and a feed-cell template of fifteen placeholders filled from a
// JSON item and parsed into a document, against the bare tokenizer making
// plain elements from the filled text.

#include "framework/core/KRJSON.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRRich.h"
#include "framework/dom/KRRichImageElement.h"
#include "framework/dom/dom_html.h"
#include "platform/graphics/TextContext.h"

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Pieces of the paragraph: text, link or image (an empty text).
struct Piece {
    std::string text;
    bool link = false;
};

const std::vector<Piece>& paragraph()
{
    static const std::vector<Piece> pieces = [] {
        const std::string chunk = "今天在超市买了一个电饭煲, saved 120 yuan compared with last week. 明天继续努力存钱! ";
        std::vector<Piece> out;
        std::size_t bytes = 0;
        int n = 0;
        while (bytes < 2048) {
            out.push_back({chunk});
            bytes += chunk.size();
            if (n < 3)
                out.push_back({"查看详情 details " + std::to_string(n), true});
            if (n == 1 || n == 3)
                out.push_back({""});
            n++;
        }
        return out;
    }();
    return pieces;
}

void BM_RichLayout_2KB(benchmark::State& state)
{
    KRRichAttributes plain, blue;
    blue.foregroundColor = pf::Color::rgb(0.2, 0.4, 0.8);
    for (auto _ : state) {
        KRRich rich;
        for (const Piece& piece : paragraph()) {
            if (piece.link) {
                rich.appendElement(std::make_shared<KRRichLinkElement>(), piece.text, blue);
            } else if (piece.text.empty()) {
                auto image = std::make_shared<KRRichImageElement>();
                image->setSize({40, 40});
                rich.appendElement(image);
            } else {
                rich.appendText(piece.text, plain);
            }
        }
        auto frame = rich.frameWithSize({300, 1e6});
        benchmark::DoNotOptimize(frame->lines().size());
    }
}
BENCHMARK(BM_RichLayout_2KB);

void BM_PangoLayout_2KB(benchmark::State& state)
{
    for (auto _ : state) {
        std::string text;
        PangoAttrList* attributes = pango_attr_list_new();
        PangoFontDescription* font = pf::Font::system(14).newPangoDescription();
        int shapes = 0;
        for (const Piece& piece : paragraph()) {
            guint start = guint(text.size());
            text += piece.text.empty() ? "\xE5\x9B\xA7" : piece.text;
            auto add = [&](PangoAttribute* a) {
                a->start_index = start;
                a->end_index = guint(text.size());
                pango_attr_list_insert(attributes, a);
            };
            add(pango_attr_font_desc_new(font));
            add(piece.link ? pango_attr_foreground_new(13107, 26214, 52428) : pango_attr_foreground_new(0, 0, 0));
            add(pango_attr_letter_spacing_new(0));
            if (piece.text.empty()) {
                PangoRectangle box{0, -40 * PANGO_SCALE, 40 * PANGO_SCALE, 40 * PANGO_SCALE};
                add(pango_attr_shape_new_with_data(&box, &box, GINT_TO_POINTER(++shapes), nullptr, nullptr));
            }
        }
        PangoLayout* layout = pango_layout_new(pf::textLayoutContext());
        pango_layout_set_text(layout, text.data(), int(text.size()));
        pango_layout_set_attributes(layout, attributes);
        pango_layout_set_width(layout, 300 * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_spacing(layout, 3 * PANGO_SCALE);
        pango_layout_set_justify(layout, TRUE);
        PangoLayoutIter* iter = pango_layout_get_iter(layout);
        int runs = 0;
        do {
            PangoRectangle logical;
            pango_layout_iter_get_run_extents(iter, nullptr, &logical);
            runs += logical.width > 0;
        } while (pango_layout_iter_next_run(iter));
        pango_layout_iter_free(iter);
        benchmark::DoNotOptimize(runs);
        g_object_unref(layout);
        pango_attr_list_unref(attributes);
        pango_font_description_free(font);
    }
}
BENCHMARK(BM_PangoLayout_2KB);

const char* kFeedCell = R"(<div class="cell" layout="flow" width="100%" height="auto" padding="8" id="{id}">
<img class="avatar" src="{user.avatar}" width="40" height="40" corner-radius="20"/>
<label class="nick" width="auto" height="18">{user.nick}</label>
<label class="time" width="60" height="14">{time}</label>
<rich class="content" width="100%" height="auto">{content}<a href="{link.href}" action-name="open">{link.title}</a>{tail}</rich>
<label class="shop">{shop.name}&nbsp;{shop.city}</label>
<label class="price">{price}</label><label class="saved">{saved}</label>
<img class="photo" src="{photos.@0}" width="31%" height="80"/><img class="photo" src="{photos.@1}" width="31%" height="80"/>
<action action-name="like" user-info="{id}"><label>{likes}</label></action>
<action action-name="comment" user-info="{id}"><label>{comments}</label></action>
</div>)";

const pf::Value& feedItem()
{
    static const pf::Value item = KRJSON::decodeText(R"({"id":4711,"user":{"avatar":"http://127.0.0.1/a.png",
        "nick":"小明 Ming"},"time":"3 分钟前","content":"今天在超市买了一个电饭煲, saved <120> yuan! ",
        "link":{"href":"zmr://post/4711","title":"查看详情"},"tail":" 明天继续.","shop":{"name":"Market","city":"上海"},
        "price":279.5,"saved":120,"photos":["http://127.0.0.1/p1.jpg","http://127.0.0.1/p2.jpg"],"likes":12,
        "comments":3})");
    return item;
}

void BM_FillParse_FeedCell(benchmark::State& state)
{
    for (auto _ : state) {
        auto document = KRDOMDocument::create();
        KRDOMParse().parseHTML(htmlStringByDOMSource(kFeedCell, feedItem()), *document);
        benchmark::DoNotOptimize(document->rootElement().get());
    }
}
BENCHMARK(BM_FillParse_FeedCell);

KRDOMElementRef& ref(void* handle) { return *static_cast<KRDOMElementRef*>(handle); }

void BM_Tokenize_FeedCell(benchmark::State& state)
{
    const std::string filled = htmlStringByDOMSource(kFeedCell, feedItem());
    dom_html_callbacks t{};
    t.new_element = [](dom_html_callbacks*, const char* name, const char* ns, void*) -> void* {
        return new KRDOMElementRef(KRDOMElement::create(name, ns));
    };
    t.set_attribute = [](dom_html_callbacks*, void* e, const char* n, const char* v, void*) { ref(e)->setAttributeValue(v, n); };
    t.add_child = [](dom_html_callbacks*, void* p, void* c, void*) { ref(p)->addElement(ref(c)); };
    t.is_empty = [](dom_html_callbacks*, void* e, void*) { return ref(e)->childs().empty() ? 1 : 0; };
    t.set_text = [](dom_html_callbacks*, void* e, const char* text, void*) { ref(e)->setText(text); };
    t.has_body = [](dom_html_callbacks*, const char* name, const char* ns, void*) {
        return (*ns || !std::strcmp(name, "br") || !std::strcmp(name, "wbr")) ? 0 : 1;
    };
    t.release = [](dom_html_callbacks*, void* e, void*) { delete static_cast<KRDOMElementRef*>(e); };
    for (auto _ : state) {
        KRDOMElementRef root = KRDOMElement::create("__ROOT__");
        dom_html_parse(&t, filled.c_str(), &root, nullptr);
        benchmark::DoNotOptimize(root.get());
    }
}
BENCHMARK(BM_Tokenize_FeedCell);

}

BENCHMARK_MAIN();
