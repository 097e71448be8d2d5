#include "framework/dom/KRDOMImageCache.h"
#include "framework/dom/KRDOMStyle.h"
#include "platform/foundation/Bundle.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using Text = std::optional<std::string_view>;

TEST(KRDOMStyleValues, FloatsReadTheLeadingNumberAndStayFinite)
{
    struct Row {
        Text text;
        float value;
    };
    for (const Row& row : std::vector<Row>{
             {std::nullopt, 0}, {"12", 12}, {" 12.5px", 12.5f}, {"-3", -3}, {"+4", 4}, {".5", 0.5f},
             {"1,5", 1}, {"5e", 5}, {"2e2", 200}, {"abc", 0}, {"", 0}, {"nan", 0}, {"inf", 0},
             {"-infinity", 0}, {"1e39", FLT_MAX}, {"-1e39", -FLT_MAX}, {"1e400", FLT_MAX}, {"1e-50", 0},
         }) {
        EXPECT_EQ(KRDOMStyle::floatValue(row.text), row.value) << row.text.value_or("(nil)");
    }
}

TEST(KRDOMStyleValues, BooleansReadLikeThePlatform)
{
    struct Row {
        Text text;
        bool value;
    };
    for (const Row& row : std::vector<Row>{
             {std::nullopt, false}, {"true", true}, {"YES", true}, {"yes", true}, {"t", true}, {"TRUE", true},
             {"  T", true}, {"1", true}, {"-1", true}, {"007", true}, {"0", false}, {"000", false},
             {"no", false}, {"false", false}, {"", false}, {"x", false},
         }) {
        EXPECT_EQ(KRDOMStyle::booleanValue(row.text), row.value) << row.text.value_or("(nil)");
    }
}

TEST(KRDOMStyleValues, ColoursReadHexComponentsAndAnAlpha)
{
    struct Row {
        Text text;
        std::optional<pf::Color> colour;
    };
    for (const Row& row : std::vector<Row>{
             {std::nullopt, std::nullopt},
             {"clear", pf::Color::clear()},
             {"#ff8000", pf::Color::rgb(1, 128 / 255.0, 0, 1)},
             {"#000000 0.5", pf::Color::rgb(0, 0, 0, 0.5)},
             {"#ff80000.5", pf::Color::rgb(1, 128 / 255.0, 0, 0.5)},
             {"#FFffFF", pf::Color::rgb(1, 1, 1, 1)},
             {"#fff", pf::Color::rgb(1, 15 / 255.0, 0, 1)},
             {"red", pf::Color::rgb(0, 0, 0, 1)},
             {"#zz0000 0.5", pf::Color::rgb(0, 0, 0, 1)},
             {"#ff8000 2", pf::Color::rgb(1, 128 / 255.0, 0, 1)},
             {"#ff8000 -1", pf::Color::rgb(1, 128 / 255.0, 0, 0)},
             {"#ff8000 nan", pf::Color::rgb(1, 128 / 255.0, 0, 1)},
         }) {
        EXPECT_EQ(KRDOMStyle::colorValue(row.text), row.colour) << row.text.value_or("(nil)");
    }
}

TEST(KRDOMStyleValues, FontsFallBackToTheSystemFontOfASaneSize)
{
    pf::Font italic(pf::Font::defaultFamily(), 12, pf::FontWeight::Regular, true);
    struct Row {
        Text text;
        std::optional<pf::Font> font;
    };
    for (const Row& row : std::vector<Row>{
             {std::nullopt, std::nullopt},
             {"12", pf::Font::system(12)},
             {"12 bold", pf::Font::boldSystem(12)},
             {"12 bold ", pf::Font::boldSystem(12)},
             {"12 italic", italic},
             {"12 Georgia", pf::Font::named("Georgia", 12)},
             {"12 NoSuchFont", pf::Font::system(12)},
             {"12  bold", pf::Font::system(12)},
             {"", pf::Font::system(14)},
             {"-5 bold", pf::Font::boldSystem(14)},
             {"1e39", pf::Font::system(KRDOMStyle::kMaxFontSize)},
         }) {
        EXPECT_EQ(KRDOMStyle::fontValue(row.text), row.font) << row.text.value_or("(nil)");
    }
}

TEST(KRDOMStyleValues, ImagesAreBundleFilesWithCaps)
{
    fs::path root = fs::temp_directory_path() / ("kr_dom_images_" + std::to_string(getpid()));
    fs::create_directories(root / "res" / "icons");
    for (const fs::path& file : {root / "res" / "btn.png", root / "res" / "icons" / "a.png", root / "secret.png",
                                 root / "res" / "sharp@2x.png"})
        std::ofstream(file) << "png";
    pf::Bundle bundle((root / "res").string());
    std::string base = (root / "res").string() + "/";
    std::string outside = (root / "secret.png").string();
    struct Row {
        Text text;
        std::optional<KRImage> image;
    };
    for (const Row& row : std::vector<Row>{
             {std::nullopt, std::nullopt},
             {"btn.png", KRImage{base + "btn.png", 0, 0}},
             {"btn.png 10", KRImage{base + "btn.png", 10, 0}},
             {"btn.png 10 5", KRImage{base + "btn.png", 10, 5}},
             {"btn.png -3 x", KRImage{base + "btn.png", 0, 0}},
             {"icons/a.png", KRImage{base + "icons/a.png", 0, 0}},
             {"missing.png", std::nullopt},
             {"sharp.png", KRImage{base + "sharp.png", 0, 0}}, // its double-scale twin is read
             {"icons", std::nullopt},
             {"http://example.com/btn.png", std::nullopt},
             {"../secret.png", std::nullopt},
             {"icons/../../secret.png", std::nullopt},
             {outside, std::nullopt},
             {"", std::nullopt},
         }) {
        EXPECT_EQ(KRDOMStyle::imageValue(row.text, &bundle), row.image) << row.text.value_or("(nil)");
    }
    EXPECT_TRUE(KRDOMStyle::imageValue("btn.png 0 4", &bundle)->isStretchable());
    EXPECT_FALSE(KRDOMStyle::imageValue("btn.png 0 0", &bundle)->isStretchable());
    // Found files are remembered, missing ones looked for again.
    std::ofstream(root / "res" / "missing.png") << "png";
    EXPECT_EQ(KRDOMStyle::imageValue("missing.png", &bundle), (KRImage{base + "missing.png", 0, 0}));
    fs::remove(root / "res" / "icons" / "a.png");
    EXPECT_EQ(KRDOMStyle::imageValue("icons/a.png", &bundle), (KRImage{base + "icons/a.png", 0, 0}));
    KRDOMImageCache::removeAll();
    EXPECT_EQ(KRDOMStyle::imageValue("icons/a.png", &bundle), std::nullopt);
    fs::remove_all(root);
}
