#pragma once

// A table controller over a page source in a headless window: a 320 × 400
// KRTableView at window y 20, rows of 44 from the TitleCell file, and
// pull and load-more views from the DragLoading file.

#include "DataTestSupport.h"

#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/data/KRTableDataController.h"
#include "framework/data/KRTableViewCell.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <cstdlib>

inline const pf::Bundle& testBundle()
{
    static pf::Bundle bundle(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources");
    return bundle;
}

inline pf::Value titledRows(int count)
{
    auto rows = pf::Array::create();
    for (int i = 0; i < count; ++i)
        rows->add(pf::Value(pf::Dictionary::create({{"title", "行 " + std::to_string(i)}})));
    return pf::Value(rows);
}

class TableHeard : public pf::Object, public KRTableDataControllerDelegate {
public:
    std::string events;
    void krDataControllerWillLoading(KRDataController&) override { events += "will "; }
    void krDataControllerDidLoadedFromCache(KRDataController&, pf::Date) override { events += "cache "; }
    void krDataControllerDidLoaded(KRDataController&) override { events += "loaded "; }
    void krDataControllerDidFitalError(KRDataController&, const pf::Error&) override { events += "error "; }
};

struct TableRig {
    pf::HeadlessHost host;
    pf::WindowRef window = pf::Window::create();
    std::shared_ptr<KRTableView> table = std::make_shared<KRTableView>(pf::Rect(0, 20, 320, 400));
    std::shared_ptr<KRTableDataController> controller = std::make_shared<KRTableDataController>();
    std::shared_ptr<KRPageDataSource> source = std::make_shared<KRPageDataSource>();
    std::shared_ptr<KRDragLoadingView> top = dragView(), bottom = dragView();
    std::shared_ptr<TableHeard> heard = std::make_shared<TableHeard>();

    explicit TableRig(const char* nib = "TitleCell")
    {
        window->addSubview(table);
        window->makeKeyAndVisible();
        controller->setItemViewNib(nib);
        controller->setItemViewBundle(&testBundle());
        controller->setDataSource(source);
        controller->setTableView(table);
        controller->setTopLoadingView(top);
        controller->setBottomLoadingView(bottom);
        controller->setDelegate(heard);
    }
    ~TableRig()
    {
        window->setHidden(true);
        pf::Screen::main().removeAllWindows();
        pf::RunLoop::main().runUntilIdle();
    }
    static std::shared_ptr<KRDragLoadingView> dragView()
    {
        auto owner = std::make_shared<pf::ViewController>("DragLoading", &testBundle());
        auto drag = std::dynamic_pointer_cast<KRDragLoadingView>(owner->view()->subviews().at(0));
        drag->removeFromSuperview();
        return drag;
    }
    // Page 1 with `count` rows, as a service would answer it.
    void load(int count)
    {
        source->reloadData();
        source->krDownlinkTaskDidLoaded(titledRows(count), nullptr);
        host.advance(0.5);
    }
    // Whether the screen is dark at a point of `view`'s frame (so a turned view is probed unturned).
    bool dark(const pf::ViewRef& view, pf::Point inFrame)
    {
        auto frame = host.render();
        pf::Point at = view->superview()->convertPointToView(view->frame().origin + inFrame, nullptr);
        return frame && frame.value()->pixelAtPoint(at).r < 200;
    }
};
