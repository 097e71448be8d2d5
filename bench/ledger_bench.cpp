// The month ledger screen against drawing its picture by hand.
// BM_LedgerScrollStep scrolls the "Books" table (the shipped interface and
// cell files, a month of 500 entries in 31 days from an in-memory per-user
// database) 9 points a step, cells rebound, and renders the 640 x 1136
// frame. BM_LedgerDirectDraw draws what that frame shows (the bars, the
// month title, total and steps, and the visible rows' grounds, texts and
// separators) at the same places with cairo and pango into the same
// surface. Target: the screen within 1.5x. Run from the source folder (the
// shipped resources are read from "./resources").

#include "app/screens/ledger/ZMRBooksController.h"
#include "app/screens/ledger/ZMRBooksDataSource.h"
#include "app/screens/ledger/ZMRBooksViewController.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRShell.h"
#include "framework/data/KRTableView.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kEntries = 500;
constexpr double kStep = 9;
constexpr double kMay1 = 1398873600;      // 2014-05-01 00:00:00 in CST-8
constexpr double kMay31Noon = 1401508800; // 2014-05-31 12:00:00
constexpr double kDay = 86400;
const char* const kRemarks[] = {"午饭", "打车回家", "", "超市买菜", "记得下次带购物袋", "电影票", "", "水果"};
const char* const kCategories[] = {"餐饮", "交通", "服饰", "数码", "家居", "美妆", "运动", "母婴"};

void fail(const char* what)
{
    std::fprintf(stderr, "ledger_bench: %s\n", what);
    std::abort();
}

void inMemory(const KRDBContextRef& db, const char* className)
{
    auto memory = KRSqlite::initWithPath(":memory:");
    if (!db || !memory)
        fail("no in-memory database");
    db->setDb(*memory);
    if (!db->regDBObjectClass(pf::Class::named(className)))
        fail("no ledger table");
}

struct Ledger {
    explicit Ledger(int entries = kEntries)
    {
        setenv("TZ", "CST-8", 1);
        tzset();
        registerScreensClasses();
        pf::setLogLevel(pf::LogLevel::Error);
        home = (std::filesystem::temp_directory_path() /
                ("ledger_bench_" + std::to_string(::getpid()) + "_" + std::to_string(entries)))
                   .string();
        std::filesystem::create_directories(home);
        pf::setHomeDirectory(home);
        pf::UserDefaults::resetStandard();
        auto config = pf::Dictionary::create({
            {"ui", pf::Value(pf::Dictionary::create(
                       {{"books", pf::Value(pf::Dictionary::create({{"class", "ZMRBooksViewController"}, {"view", "Books"}}))}}))},
            {"user-db", pf::Value(pf::Array::create({"ZMRBooksObject"}))},
            {"app-db", pf::Value(pf::Array::create({"ZMRClassifyObject"}))},
        });
        shell = ZMRShell::create(config, pf::Bundle::main());
        if (!shell)
            fail("no shell");
        shell->setAuth(pf::Value(10001LL), std::string("bench"));
        inMemory(shell->userDBContext(), "ZMRBooksObject");
        inMemory(shell->appDBContext(), "ZMRClassifyObject");
        for (int i = 0; i < 8; ++i) {
            auto category = std::make_shared<ZMRClassifyObject>();
            category->setCid(i + 1);
            category->setTitle(kCategories[i]);
            shell->appDBContext()->insertObject(category);
        }
        for (int i = 1; i <= entries; ++i) {
            auto entry = std::make_shared<ZMRBooksObject>();
            entry->setBid(i);
            entry->setTimestamp(kMay1 + (i % 31) * kDay + (i % 12) * 3600);
            entry->setExpendMoney(3.5 + (i % 97) * 1.25);
            entry->setRemark(std::string(kRemarks[i % 8]));
            entry->setCids(pf::Value(pf::Array::create({1 + i % 8, 1 + (i * 3) % 8})));
            shell->userDBContext()->insertObject(entry);
        }

        screen = std::dynamic_pointer_cast<ZMRBooksViewController>(shell->getViewController(*pf::URL::create("root:///books"), "/"));
        if (!screen)
            fail("no Books screen");
        window = pf::Window::create(pf::Rect{0, 0, 320, 568});
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
        books = screen->booksController();
        source = books ? std::dynamic_pointer_cast<ZMRBooksDataSource>(books->dataSource()) : nullptr;
        if (!source)
            fail("no ledger source");
        source->setClock([] { return pf::Date{kMay31Noon}; });
        source->setDate(pf::Date{kMay1 + 9 * kDay});
        source->refreshData();
        table = std::dynamic_pointer_cast<KRTableView>(books->tableView());
        if (!table || source->count() != 31u + static_cast<std::size_t>(entries))
            fail("the month is not listed");
        pf::Screen::main().layoutIfNeeded();
        if (!compositor.render())
            fail("no frame");
    }
    ~Ledger()
    {
        window->setHidden(true);
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }
    // The next offset of a step, back to the top past the end.
    double step()
    {
        y += kStep;
        if (y > table->maxContentOffset().y)
            y = 0;
        return y;
    }
    pf::Rect frameOf(const pf::View& view) const { return view.convertRectToView(view.bounds(), nullptr); }

    std::string home;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<ZMRBooksViewController> screen;
    std::shared_ptr<ZMRBooksController> books;
    std::shared_ptr<ZMRBooksDataSource> source;
    std::shared_ptr<KRTableView> table;
    pf::WindowRef window;
    pf::Compositor compositor{pf::Screen::main()};
    double y = 0;
};

Ledger* g_shared = nullptr;

Ledger& ledger()
{
    if (!g_shared)
        g_shared = new Ledger;
    g_shared->window->makeKeyAndVisible();
    return *g_shared;
}

// A ledger of its own for one benchmark, with the shared one's window out of
// the way while it runs.
struct OwnLedger {
    explicit OwnLedger(int entries)
    {
        if (g_shared)
            g_shared->window->setHidden(true);
        ledger = std::make_unique<Ledger>(entries);
    }
    ~OwnLedger()
    {
        ledger.reset();
        if (g_shared)
            g_shared->window->makeKeyAndVisible();
    }
    std::unique_ptr<Ledger> ledger;
};

void BM_LedgerScrollStep(benchmark::State& state)
{
    Ledger& l = ledger();
    l.y = 0;
    for (auto _ : state) {
        l.table->setContentOffset(pf::Point{0, l.step()});
        benchmark::DoNotOptimize(l.compositor.render());
    }
}
BENCHMARK(BM_LedgerScrollStep)->Unit(benchmark::kMicrosecond);

// Cost as the month grows, over 100 and over 10,000 entries: opening the
// month (its query, the table's reload, the first frame) and one scrolled
// frame. Target: each within 1.2x of its figure for 100 entries.
void BM_LedgerOpenScale(benchmark::State& state)
{
    OwnLedger own(static_cast<int>(state.range(0)));
    Ledger& l = *own.ledger;
    for (auto _ : state) {
        l.source->refreshData();
        pf::Screen::main().layoutIfNeeded();
        benchmark::DoNotOptimize(l.compositor.render());
    }
    if (l.source->count() != 31u + static_cast<std::size_t>(state.range(0)))
        state.SkipWithError("the month is not listed");
}
BENCHMARK(BM_LedgerOpenScale)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_LedgerScrollStepScale(benchmark::State& state)
{
    OwnLedger own(static_cast<int>(state.range(0)));
    Ledger& l = *own.ledger;
    for (auto _ : state) {
        l.table->setContentOffset(pf::Point{0, l.step()});
        benchmark::DoNotOptimize(l.compositor.render());
    }
}
BENCHMARK(BM_LedgerScrollStepScale)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Plain drawing: one layout, the fonts and places read once from the screen.
struct Painter {
    cairo_t* cr;
    PangoLayout* layout;

    void fill(const pf::Rect& r, std::uint32_t rgb)
    {
        cairo_set_source_rgb(cr, (rgb >> 16 & 0xff) / 255.0, (rgb >> 8 & 0xff) / 255.0, (rgb & 0xff) / 255.0);
        cairo_rectangle(cr, r.x(), r.y(), r.width(), r.height());
        cairo_fill(cr);
    }
    void text(const pf::Rect& r, const std::string& s, PangoFontDescription* font, std::uint32_t rgb, PangoAlignment align)
    {
        cairo_save(cr);
        cairo_rectangle(cr, r.x(), r.y(), r.width(), r.height());
        cairo_clip(cr);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, s.data(), static_cast<int>(s.size()));
        pango_layout_set_width(layout, static_cast<int>(r.width() * PANGO_SCALE));
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        pango_layout_set_alignment(layout, align);
        PangoRectangle logical;
        pango_layout_get_pixel_extents(layout, nullptr, &logical);
        cairo_set_source_rgb(cr, (rgb >> 16 & 0xff) / 255.0, (rgb >> 8 & 0xff) / 255.0, (rgb & 0xff) / 255.0);
        cairo_move_to(cr, r.x(), r.y() + (r.height() - logical.height) * 0.5);
        pango_cairo_show_layout(cr, layout);
        cairo_restore(cr);
    }
};

void BM_LedgerDirectDraw(benchmark::State& state)
{
    Ledger& l = ledger();
    const pf::View& root = *l.screen->view();
    const pf::Rect screenRect = l.frameOf(root);
    const pf::Rect tableRect = l.frameOf(*l.table);
    const pf::Rect header{screenRect.x(), tableRect.y() - 72, screenRect.width(), 72};
    const pf::Rect bar{screenRect.x(), screenRect.y(), screenRect.width(), 44};
    const pf::Rect prev = l.frameOf(*l.books->prevButton()), next = l.frameOf(*l.books->nextButton());
    const pf::Rect date = l.frameOf(*l.books->dateLabel()), total = l.frameOf(*l.books->expendMoneyLabel());
    const std::string dateText = l.books->dateLabel()->text(), totalText = l.books->expendMoneyLabel()->text();
    const std::uint32_t nextColour = l.books->nextButton()->isEnabled() ? 0xf26c4f : 0xcccccc;
    PangoFontDescription* heading = pf::Font::boldSystem(17).newPangoDescription();
    PangoFontDescription* step = pf::Font::system(15).newPangoDescription();
    PangoFontDescription* title = pf::Font::boldSystem(18).newPangoDescription();
    PangoFontDescription* small = pf::Font::system(13).newPangoDescription();
    PangoFontDescription* sum = pf::Font::boldSystem(20).newPangoDescription();
    PangoFontDescription* row = pf::Font::system(15).newPangoDescription();
    PangoFontDescription* money = pf::Font::boldSystem(15).newPangoDescription();
    const pf::ArrayRef& rows = l.source->dataObjects();

    cairo_t* cr = cairo_create(l.compositor.frame()->surface());
    cairo_scale(cr, 2, 2);
    Painter paint{cr, pango_cairo_create_layout(cr)};
    l.y = 0;
    for (auto _ : state) {
        const double offset = l.step();
        paint.fill(screenRect, 0xf4f4f4);
        paint.fill(bar, 0xf26c4f);
        paint.text({bar.x() + 60, bar.y(), 200, 44}, "账本", heading, 0xffffff, PANGO_ALIGN_CENTER);
        paint.fill(header, 0xffffff);
        paint.text(prev, "‹ 上月", step, 0xf26c4f, PANGO_ALIGN_CENTER);
        paint.text(next, "下月 ›", step, nextColour, PANGO_ALIGN_CENTER);
        paint.text(date, dateText, title, 0x333333, PANGO_ALIGN_CENTER);
        paint.text({header.x() + 16, header.y() + 40, 120, 26}, "本月支出", small, 0x888888, PANGO_ALIGN_LEFT);
        paint.text(total, totalText, sum, 0xf26c4f, PANGO_ALIGN_RIGHT);
        paint.fill({header.x(), header.maxY() - 0.5, header.width(), 0.5}, 0xe0e0e0);
        cairo_save(cr);
        cairo_rectangle(cr, tableRect.x(), tableRect.y(), tableRect.width(), tableRect.height());
        cairo_clip(cr);
        double top = tableRect.y() - offset;
        for (const pf::Value& value : *rows) {
            pf::DictionaryRef r = value.dictionary();
            const bool entry = r->contains("data"), title26 = r->contains("day") && !entry;
            const double h = title26 ? 26 : entry ? 44 : 35;
            if (top + h > tableRect.y() && top < tableRect.maxY()) {
                const pf::Rect cell{tableRect.x(), top, tableRect.width(), h};
                if (title26) {
                    paint.fill(cell, 0xf2f2f2);
                    paint.text({cell.x() + 12, top, 200, h}, r->get("title").stringOr(""), small, 0x888888, PANGO_ALIGN_LEFT);
                } else if (entry) {
                    paint.fill(cell, 0xffffff);
                    paint.text({cell.x() + 12, top, cell.width() - 130, h}, r->get("title").stringOr(""), row, 0x333333,
                               PANGO_ALIGN_LEFT);
                    paint.text({cell.maxX() - 112, top, 100, h}, r->get("expendMoney").stringOr(""), money, 0xf26c4f,
                               PANGO_ALIGN_RIGHT);
                    paint.fill({cell.x() + 12, top + h - 0.5, cell.width() - 12, 0.5}, 0xe5e5e5);
                } else {
                    paint.fill(cell, 0xffffff);
                    paint.text({cell.x() + 12, top, cell.width() - 24, h}, "当天没有记账", small, 0xbbbbbb, PANGO_ALIGN_LEFT);
                }
            }
            top += h;
            if (top >= tableRect.maxY())
                break;
        }
        cairo_restore(cr);
        cairo_surface_flush(cairo_get_target(cr));
        benchmark::DoNotOptimize(cr);
    }
    g_object_unref(paint.layout);
    cairo_destroy(cr);
    for (auto* font : {heading, step, title, small, sum, row, money})
        pango_font_description_free(font);
}
BENCHMARK(BM_LedgerDirectDraw)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
