// Scrolling a 500-row table of mixed heights by 9 points a step and
// rendering the 640 x 1136 frame, against the same cells moved and refilled
// by hand in a plain view (no table bookkeeping).

#include "platform/controls/Label.h"
#include "platform/controls/TableView.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 500;
constexpr double kStep = 9;

double heightOf(int row)
{
    return 44 + (row % 4) * 22; // 44, 66, 88, 110
}

std::string textOf(int row)
{
    return "第" + std::to_string(row) + "行 今天省了一点钱";
}

class Rows final : public pf::TableViewDataSource, public pf::TableViewDelegate {
public:
    int tableViewNumberOfRowsInSection(pf::TableView&, int) override { return kRows; }
    std::shared_ptr<pf::TableViewCell> tableViewCellForRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell)
            cell = std::make_shared<pf::TableViewCell>(pf::TableViewCellStyle::Default, "row");
        cell->textLabel()->setText(textOf(path.row));
        return cell;
    }
    std::optional<double> tableViewHeightForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path) override
    {
        return heightOf(path.row);
    }
};

struct Screenful {
    Screenful()
    {
        window = pf::Window::create(pf::Rect{0, 0, 320, 568});
        window->setBackgroundColor(pf::Color::whiteColor());
        window->makeKeyAndVisible();
    }
    ~Screenful() { window->setHidden(true); }
    pf::WindowRef window;
    pf::Compositor compositor{pf::Screen::main()};
};

void BM_TableScrollStep(benchmark::State& state)
{
    Screenful screen;
    auto rows = std::make_shared<Rows>();
    auto table = std::make_shared<pf::TableView>(pf::Rect{0, 0, 320, 568});
    table->setDataSource(rows);
    table->setDelegate(rows);
    screen.window->addSubview(table);
    table->reloadData();
    screen.compositor.render();
    double y = 0;
    for (auto _ : state) {
        y += kStep;
        if (y > table->maxContentOffset().y)
            y = 0;
        table->setContentOffset(pf::Point{0, y});
        benchmark::DoNotOptimize(screen.compositor.render());
    }
}
BENCHMARK(BM_TableScrollStep)->Unit(benchmark::kMicrosecond);

// The baseline: the same cells in a clipping view whose bounds move, laid
// out and refilled by a hand-written loop over precomputed row tops.
void BM_PlainScrollStep(benchmark::State& state)
{
    Screenful screen;
    auto content = pf::View::create(pf::Rect{0, 0, 320, 568});
    content->setClipsToBounds(true);
    content->setBackgroundColor(pf::Color::whiteColor());
    screen.window->addSubview(content);
    std::vector<double> tops(kRows + 1, 0);
    for (int r = 0; r < kRows; ++r)
        tops[r + 1] = tops[r] + heightOf(r);
    std::vector<std::shared_ptr<pf::TableViewCell>> pool;
    std::vector<int> shownRow;
    double y = 0;
    auto place = [&] {
        int first = static_cast<int>(std::upper_bound(tops.begin(), tops.end(), y) - tops.begin()) - 1;
        std::size_t used = 0;
        for (int r = std::max(first, 0); r < kRows && tops[r] < y + 568; ++r, ++used) {
            if (used == pool.size()) {
                pool.push_back(std::make_shared<pf::TableViewCell>(pf::TableViewCellStyle::Default, "row"));
                shownRow.push_back(-1);
                content->addSubview(pool.back());
            }
            auto& cell = pool[used];
            cell->setFrame(pf::Rect{0, tops[r], 320, heightOf(r)});
            if (shownRow[used] != r) {
                cell->textLabel()->setText(textOf(r));
                shownRow[used] = r;
            }
            cell->setHidden(false);
        }
        for (; used < pool.size(); ++used)
            pool[used]->setHidden(true);
        content->setBounds(pf::Rect{0, y, 320, 568});
    };
    place();
    screen.compositor.render();
    for (auto _ : state) {
        y += kStep;
        if (y > tops.back() - 568)
            y = 0;
        place();
        benchmark::DoNotOptimize(screen.compositor.render());
    }
}
BENCHMARK(BM_PlainScrollStep)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
