#include "DataTestSupport.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataController.h"
#include "framework/data/KRDataControllerDelegate.h"
#include "framework/data/KRPageDataSource.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

namespace {

class ControllerRecorder : public pf::Object, public KRDataControllerDelegate {
public:
    std::vector<std::string> events;
    void krDataControllerWillLoading(KRDataController&) override { events.push_back("will"); }
    void krDataControllerDidLoadedFromCache(KRDataController&, pf::Date) override { events.push_back("cache"); }
    void krDataControllerDidLoaded(KRDataController&) override { events.push_back("loaded"); }
    void krDataControllerDidFitalError(KRDataController&, const pf::Error&) override { events.push_back("error"); }
    void krDataControllerDidContentChanged(KRDataController&) override { events.push_back("changed"); }
};

class ImageView : public pf::View, public IKRImageTask {
public:
    ImageView(bool loading, bool loaded) : m_loading(loading), m_loaded(loaded) {}
    pf::ObjectRef source() const override { return m_source.lock(); }
    void setSource(const pf::ObjectRef& source) override { m_source = source; }
    const pf::Object* sourceIdentity() const override { return nullptr; }
    void setImage(const pf::ImageRef&, bool) override { m_loaded = true; }
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
    bool m_loading;
    bool m_loaded;
};

}

TEST(KRDataController, RelaysOnlyItsOwnSource)
{
    auto controller = std::make_shared<KRDataController>();
    auto recorder = std::make_shared<ControllerRecorder>();
    auto mine = std::make_shared<KRPageDataSource>();
    auto other = std::make_shared<KRPageDataSource>();
    controller->setDelegate(recorder);
    controller->setDataSource(other);
    controller->setDataSource(mine);
    EXPECT_EQ(mine->delegate(), controller);
    EXPECT_EQ(other->delegate(), nullptr);
    other->setDelegate(controller); // a stray source reporting to it
    controller->reloadData();
    mine->krDownlinkTaskDidLoadedFromCache(KRJSON::decodeText("[1]"), pf::Date{1}, nullptr);
    other->reloadData();
    other->krDownlinkTaskDidLoaded(KRJSON::decodeText("[1]"), nullptr);
    mine->krDownlinkTaskDidFitalError(pf::Error{"t", 1, ""}, nullptr);
    controller->krDataSourceDidContentChanged(*mine);
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"will", "cache", "error", "changed"}));

    auto bus = std::make_shared<FakeBus>();
    auto next = std::make_shared<FakeBus>();
    controller->setContext(bus);
    EXPECT_EQ(mine->context(), bus);
    controller->setContext(next);
    EXPECT_EQ(bus->forSources.front(), controller.get());
    mine->reloadData();
    controller.reset();
    EXPECT_EQ(mine->delegate(), nullptr);
    EXPECT_FALSE(mine->isLoading());
}

TEST(KRDataController, ImageTasksOfAViewTree)
{
    // root (idle) > [loading, loaded > [idle]]
    auto root = std::make_shared<ImageView>(false, false);
    auto loading = std::make_shared<ImageView>(true, false);
    auto loaded = std::make_shared<ImageView>(false, true);
    auto deep = std::make_shared<ImageView>(false, false);
    auto plain = pf::View::create();
    root->addSubview(loading);
    root->addSubview(plain);
    root->addSubview(loaded);
    loaded->addSubview(deep);
    auto bus = std::make_shared<FakeBus>();
    bus->onHandle = [](const pf::ObjectRef& task) {
        if (auto image = std::dynamic_pointer_cast<IKRImageTask>(task))
            image->setLoading(true);
    };
    auto controller = std::make_shared<KRDataController>();
    controller->setContext(bus);

    auto names = [](const std::vector<std::pair<const pf::Protocol*, pf::ObjectRef>>& calls) {
        std::vector<std::string> out;
        for (const auto& [type, task] : calls)
            out.push_back(type->name());
        return out;
    };
    controller->downloadImagesForView(*root);
    controller->downloadImagesForView(*root); // the second finds them loading
    ASSERT_EQ(bus->handled.size(), 2u);
    EXPECT_EQ(bus->handled[0].second, root);
    EXPECT_EQ(bus->handled[1].second, deep);
    EXPECT_EQ(deep->source(), controller);

    bus->handled.clear();
    bus->onHandle = nullptr;
    controller->loadImagesForView(*root);
    EXPECT_EQ(names(bus->cancelled), (std::vector<std::string>{"IKRImageTask", "IKRImageTask", "IKRImageTask"}));
    EXPECT_EQ(names(bus->handled), (std::vector<std::string>{"IKRLocalImageTask", "IKRLocalImageTask", "IKRLocalImageTask"}));

    bus->cancelled.clear();
    controller->cancelDownloadImagesForView(*root);
    EXPECT_EQ(bus->cancelled.size(), 3u);
}
