#include "framework/ui/Grid.h"
#include "framework/ui/GridColumn.h"
#include "framework/ui/GridExpression.h"
#include "framework/ui/GridRow.h"
#include "platform/controls/DateFormatter.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

using pf::Value;

namespace {

std::shared_ptr<Grid> makeGrid(std::initializer_list<double> widths, double split, int rows = 0)
{
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(split);
    for (double w : widths) {
        auto column = grid->addColumn();
        column->setWidth(w);
        column->setKeyPath("{name}");
    }
    for (int i = 0; i < rows; ++i)
        grid->addDataRow(Value(pf::Dictionary::create({{"name", "n"}})))->setHeight(20);
    return grid;
}

}

TEST(GridSize, ColumnsSplitsAndCountedRows)
{
    struct Row { int limitRows; int rows; pf::Size expected; } rows[] = {
        {0, 4, {184, 85}},
        {2, 4, {184, 43}},
        {10, 4, {184, 85}}, // a limit above the row count means all rows
        {0, 0, {184, 0}},
    };
    for (const auto& row : rows) {
        auto grid = makeGrid({50, 60, 70}, 1, row.rows);
        grid->setRowSplitHeight(1);
        grid->setLimitRows(row.limitRows);
        grid->updateSize();
        EXPECT_EQ(grid->size(), row.expected) << row.limitRows << " " << row.rows;
    }
}

TEST(GridSize, DatesForTheGridsUsersAreWholeDays)
{
    auto grid = makeGrid({50}, 1);
    std::shared_ptr<pf::DateFormatter> formatter = grid->dateFormatter();
    ASSERT_TRUE(formatter);
    EXPECT_EQ(grid->dateFormatter(), formatter);
    auto day = formatter->dateFromString("2013-02-28");
    ASSERT_TRUE(day);
    EXPECT_EQ(formatter->stringFromDate(*day), "2013-02-28");
    EXPECT_FALSE(formatter->dateFromString("2013-02-28 10:00:00"));
}

TEST(GridRowLayout, SplitsBoxesAndSpansStayInTheirRange)
{
    struct Row { std::uint32_t firstSpan; std::size_t first, end; std::vector<GridRow::CellBox> expected;
                 double endX; } rows[] = {
        {1, 0, 3, {{0, 1, 50}, {1, 52, 60}, {2, 113, 70}}, 183},
        {2, 0, 3, {{0, 1, 111}, {2, 113, 70}}, 183},      // takes in one cell, not the rest of the row
        {9, 0, 3, {{0, 1, 182}}, 183},
        {9, 0, 1, {{0, 1, 50}}, 51},                      // a block of one keeps its span inside
        {1, 1, 9, {{1, 1, 60}, {2, 62, 70}}, 132},        // past the row's cells: cut
    };
    for (const auto& row : rows) {
        auto grid = makeGrid({50, 60, 70}, 1, 1);
        auto& dataRow = *grid->dataRows()[0];
        dataRow.cells()[0]->setColSpan(row.firstSpan);
        double endX = -1;
        auto boxes = dataRow.cellBoxes(row.first, row.end, 1, endX);
        EXPECT_TRUE(boxes == row.expected) << row.firstSpan << " " << row.first << " " << row.end;
        EXPECT_EQ(endX, row.endX);
    }
}

TEST(GridColumns, AddColumnCopiesTitleStyleInsertDoesNot)
{
    auto grid = std::make_shared<Grid>();
    grid->setColumnTitleFont(pf::Font::boldSystem(15));
    grid->setDataTitleFont(pf::Font::system(9));
    auto added = grid->addColumn();
    grid->setColumnTitleFont(pf::Font::system(30));
    auto inserted = grid->insertColumnAt(0);
    EXPECT_EQ(added->effectiveFont(), pf::Font::boldSystem(15)); // as it was when made
    EXPECT_EQ(inserted->effectiveFont(), pf::Font::system(9));
    EXPECT_EQ(grid->columns()[0], inserted);
    grid->setDataTitleFont(std::nullopt);
    EXPECT_EQ(inserted->effectiveFont(), pf::Font::system(12));
}

TEST(GridColumns, BadIndexesChangeNothing)
{
    auto grid = makeGrid({50, 60}, 1, 2);
    EXPECT_EQ(grid->insertDataRow(Value(), 3), nullptr);
    EXPECT_EQ(grid->insertColumnAt(3), nullptr);
    grid->removeDataRowAt(2);
    grid->removeColumnAt(7);
    EXPECT_EQ(grid->dataRows().size(), 2u);
    EXPECT_EQ(grid->columns().size(), 2u);
    EXPECT_NE(grid->insertDataRow(Value(), 2), nullptr); // the end is a valid place
}

TEST(GridCellText, ShrinksOnOneLineAndClipsToTheLastPiece)
{
    struct Row { const char* title; double width; double minFontSize; bool clipsLast; const char* text; bool shrunk; } rows[] = {
        {"Category-Subcategory-Item", 60, 7, true, "Item", true},
        {"Category-Subcategory-Item", 60, 7, false, "Category-Subcategory-Item", true},
        {"A-B", 500, 7, true, "A-B", false}, // fits: drawn whole
        {"Category-Subcategory-Item", 60, 0, true, "Category-Subcategory-Item", false}, // wraps instead
    };
    // One cell for every row: a kept layout must not outlive a changed setting.
    GridCell cell;
    cell.setTitleFont(pf::Font::system(17));
    for (const auto& row : rows) {
        cell.setTitle(row.title);
        cell.setTitleMinFontSize(row.minFontSize);
        cell.setClipsLastTitle(row.clipsLast);
        auto layout = cell.layoutTitle(row.width);
        EXPECT_EQ(layout.text, row.text) << row.title << " " << row.width;
        EXPECT_EQ(layout.style.font.size() < 17, row.shrunk) << row.title << " " << row.width;
        EXPECT_LE(layout.size.width, row.width);
    }
}

TEST(GridCellText, RowHeightsUseTheDrawingFontAndPadding)
{
    auto grid = makeGrid({100, 100}, 1, 1);
    auto& row = *grid->dataRows()[0];
    auto fit = [&] { return row.heightToFit(), row.height(); };
    double plain = fit();
    EXPECT_GT(plain, 0); // no font anywhere: the system font of size 12
    row.cells()[1]->setPadding({4, 5, 6, 5});
    EXPECT_EQ(fit(), plain + 10);
    grid->setDataTitleFont(pf::Font::system(30));
    EXPECT_GT(fit(), plain + 10);
}

TEST(GridExpression, TemplatesFillPlaceholdersAndPercentages)
{
    auto data = [](Value rate) {
        auto user = pf::Dictionary::create({{"nick", "Bo"}});
        return Value(pf::Dictionary::create({{"name", "A"}, {"a{b", "k"}, {"rate", rate}, {"user", user}}));
    };
    struct Row { const char* templateText; Value rate; const char* expected; } rows[] = {
        {"{name} ({percentage:rate})", 0.256, "A (25.6%)"},
        {"{name} ({percentage:none})", 1, "A ()"},
        {"{percentage:rate}", 0.1234, "12.3%"},
        {"{percentage:rate}", "0.5 off", "50.0%"},        // text by its leading number
        {"{percentage:rate}", "none", "0.0%"},
        {"{percentage:rate}", Value::null(), "0.0%"},
        {"[{percentage:rate}]", Value(pf::Array::create({1})), "[]"},
        {"[{percentage:rate}]", Value(pf::Dictionary::create({{"x", 1}})), "[]"},
        {"abc{x", {}, "abc"},                               // unclosed placeholder dropped
        {"{a{b}", {}, "k"},                                 // second "{" is part of the key
        {"<{user.nick.x}{missing.y}>", {}, "<>"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(expressionOfData(row.templateText, data(row.rate)), row.expected) << row.templateText;
}
