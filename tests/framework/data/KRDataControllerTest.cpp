#include "DataTestSupport.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataController.h"
#include "framework/data/KRPageDataSource.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

namespace {

class ImageView : public pf::View, public IKRImageTask {
public:
    ImageView(bool loading, bool loaded) : m_loading(loading), m_loaded(loaded) {}
    pf::ObjectRef source() const override { return m_source.lock(); }
    void setSource(const pf::ObjectRef& source) override { m_source = source; }
    const pf::Object* sourceIdentity() const override { return nullptr; }
    void setImage(const pf::ImageRef&, bool) override {}
    void setDefaultImage(const pf::ImageRef&) override {}
    bool isLoaded() const override { return m_loaded; }
    void setLoaded(bool loaded) override { m_loaded = loaded; }
    std::optional<std::string> defaultSrc() const override { return {}; }
    void setDefaultSrc(std::optional<std::string>) override {}
    std::optional<std::string> src() const override { return {}; }
    void setSrc(std::optional<std::string>) override {}
    bool isLoading() const override { return m_loading; }
    void setLoading(bool loading) override { m_loading = loading; }

private:
    pf::WeakObject m_source;
    bool m_loading, m_loaded;
};

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
    std::shared_ptr<ImageView> views[] = {std::make_shared<ImageView>(false, false), std::make_shared<ImageView>(true, false),
                                          std::make_shared<ImageView>(false, true), std::make_shared<ImageView>(false, false)};
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
