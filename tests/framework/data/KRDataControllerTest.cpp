#include "DataTestSupport.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataController.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/ui/KRImageView.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<KRImageView> imageView(bool loading, bool loaded)
{
    auto view = std::make_shared<KRImageView>();
    view->setLoading(loading);
    view->setLoaded(loaded);
    return view;
}

}

TEST(KRDataController, RelaysOnlyItsOwnSourceAndDetachesItWhenGone)
{
    auto controller = std::make_shared<KRDataController>();
    auto heard = std::make_shared<Heard>();
    auto mine = std::make_shared<KRPageDataSource>(), other = std::make_shared<KRPageDataSource>();
    controller->setDelegate(heard);
    controller->setDataSource(other);
    controller->setDataSource(mine);
    EXPECT_TRUE(mine->delegate() == controller && !other->delegate());
    other->setDelegate(controller); // a stray source reporting to it
    controller->reloadData();
    other->krDownlinkTaskDidLoaded(KRJSON::decodeText("[1]"), nullptr);
    mine->krDownlinkTaskDidFitalError(pf::Error{"t", 1, ""}, nullptr);
    EXPECT_EQ(heard->events, "will error");

    auto bus = std::make_shared<FakeBus>();
    controller->setContext(bus);
    EXPECT_EQ(mine->context(), bus);
    controller->setContext(std::make_shared<FakeBus>());
    EXPECT_EQ(bus->forSources.front(), controller.get()); // then the source's own
    mine->reloadData();
    controller.reset();
    EXPECT_TRUE(!mine->delegate() && !mine->isLoading());
}

TEST(KRDataController, ImageTasksOfAViewTree)
{
    // root (idle) > [downloading, plain, loaded > [idle]]
    std::shared_ptr<KRImageView> views[] = {imageView(false, false), imageView(true, false), imageView(false, true),
                                            imageView(false, false)};
    views[0]->addSubview(views[1]);
    views[0]->addSubview(pf::View::create());
    views[0]->addSubview(views[2]);
    views[2]->addSubview(views[3]);
    auto bus = std::make_shared<FakeBus>();
    bus->onHandle = [](const pf::ObjectRef& task) { std::dynamic_pointer_cast<IKRImageTask>(task)->setLoading(true); };
    auto controller = std::make_shared<KRDataController>();
    controller->setContext(bus);
    controller->downloadImagesForView(*views[0]);
    controller->downloadImagesForView(*views[0]); // the second finds them loading
    EXPECT_EQ(bus->tasks, (std::vector<pf::ObjectRef>{views[0], views[3]}));
    EXPECT_EQ(views[3]->source(), controller);

    bus->calls.clear();
    controller->cancelDownloadImagesForView(*views[0]);
    EXPECT_EQ(bus->calls, std::vector<std::string>(3, "cancel"));
}
