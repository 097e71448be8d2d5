#pragma once

// Element trees with the element kinds ("action", "view") from markup,
// drawn into bitmaps or shown in a document view on a headless screen.

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMView.h"
#include "platform/foundation/Bundle.h"
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

// Parses the markup (as parseTree does) with action and view elements for
// their tags.
KRDOMElementRef parseHostTree(std::string_view markup);
// Parses and lays the tree out in `size`.
KRDOMElementRef laidOutTree(std::string_view markup, pf::Size size);
// The tree rendered over white at scale 2 into a bitmap of `size`.
pf::BitmapRef renderTree(KRDOMElement& root, pf::Size size);

// An opaque picture of w x h pixels coloured by `colour(x, y)`.
pf::BitmapRef picture(int w, int h, const std::function<pf::Color(int, int)>& colour);

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
