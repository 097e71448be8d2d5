#pragma once

// Element trees of markup drawn into bitmaps or shown in a document view on
// a headless screen, and the pictures and colours the tests draw with.

#include "DOMTestSupport.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMView.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Forward.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace domtest {

inline const pf::Color kRed = pf::Color::rgb(1, 0, 0), kGreen = pf::Color::rgb(0, 1, 0),
                       kBlue = pf::Color::rgb(0, 0, 1), kWhite = pf::Color::whiteColor();

// Parses (as parseTyped does) and lays the tree out in `size`.
KRDOMElementRef laidOutTree(std::string_view markup, pf::Size size);
// The tree rendered over white at scale 2 into a bitmap of `size`.
pf::BitmapRef renderTree(KRDOMElement& root, pf::Size size);

// An opaque picture of w x h pixels coloured by `colour(x, y)`.
pf::BitmapRef picture(int w, int h, const std::function<pf::Color(int, int)>& colour);
pf::ImageRef solidImage(int w, int h, pf::Color colour);

// Counts the redraw requests of the elements it is the delegate of.
struct RedrawCounter : KRDOMElementDelegate {
    int redraws = 0;
    void krDOMElementDoNeedDisplay(KRDOMElement&) override { ++redraws; }
};

// A temporary bundle folder for pictures; the image cache is emptied when it
// is made and when it goes.
class PictureFolder {
public:
    explicit PictureFolder(const std::string& tag);
    ~PictureFolder();
    void write(const std::string& name, const pf::BitmapRef& bitmap) const;
    std::shared_ptr<pf::Bundle> bundle() const { return std::make_shared<pf::Bundle>(path.string()); }
    const std::filesystem::path path;
};

// Records what a document view passes on.
class ActionRecorder : public KRDOMViewDelegate {
public:
    void krDOMViewDoActionElement(KRDOMView&, KRDOMElement& element) override;
    // One entry per action: the element's "id".
    std::vector<std::string> actions;
};

// A white window with a 320 x 200 document view at its top left that lays
// its tree out and reports actions to `recorder`.
class DocumentViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the markup in the view; the root.
    KRDOMElementRef show(std::string_view markup);
    pf::BitmapRef render();

    std::unique_ptr<pf::HeadlessHost> host;
    pf::WindowRef window;
    std::shared_ptr<KRDOMView> view;
    std::shared_ptr<ActionRecorder> recorder;
};

}
