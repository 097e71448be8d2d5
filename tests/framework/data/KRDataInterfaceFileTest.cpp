#include "framework/data/KRStatusGatherDataSource.h"
#include "framework/data/KRURLDataSource.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/InterfaceFile.h"

#include <gtest/gtest.h>

// Screens build their data sources in interface files: gatherers with their
// members, URL lists with their query values and HTTP class, layouts with
// their item size.

namespace {

pf::ErrorOr<std::vector<pf::ObjectRef>> build(const std::string& objects)
{
    auto file = pf::InterfaceFile::parse("<interface>" + objects + "</interface>", "Sources", pf::Bundle("."));
    if (!file)
        return file.error();
    return file.value()->instantiate(std::make_shared<pf::Object>());
}

template <class T> std::shared_ptr<T> at(const std::vector<pf::ObjectRef>& objects, std::size_t i)
{
    return std::dynamic_pointer_cast<T>(objects.at(i));
}

}

TEST(KRDataInterfaceFile, BuildsAGathererOverItsMembers)
{
    auto objects = build(R"(
  <object id="g" class="KRStatusGatherDataSource"><string name="status">new</string>
    <collection name="dataSources"><ref to="hot"/><ref to="u"/><ref to="new"/></collection></object>
  <object id="hot" class="KRStatusDataSource"><string name="status">hot</string><outlet name="delegate" to="g"/></object>
  <object id="new" class="KRStatusDataSource"><string name="status">new</string><outlet name="delegate" to="g"/></object>
  <object id="u" class="KRURLDataSource"/>)");
    ASSERT_TRUE(objects.ok()) << objects.error().description;
    auto gather = at<KRStatusGatherDataSource>(objects.value(), 0);
    auto hot = at<KRStatusDataSource>(objects.value(), 1);
    auto fresh = at<KRStatusDataSource>(objects.value(), 2);
    ASSERT_TRUE(gather && hot && fresh);
    // The URL list is no status source: it is left out, the order kept.
    EXPECT_EQ(gather->dataSources(), (std::vector<std::shared_ptr<KRStatusDataSource>>{hot, fresh}));
    EXPECT_EQ(gather->dataSource(), fresh);
    EXPECT_EQ(hot->delegate(), gather);
    gather->reloadData();
    EXPECT_TRUE(fresh->isLoading() && !hot->isLoading());
}

TEST(KRDataInterfaceFile, URLListsKeepACopyOfTheirQueryValues)
{
    const char* xml = R"(<object id="u" class="KRURLDataSource">
    <dictionary name="queryValues"><string key="uid">7</string></dictionary>
    <string name="httpClass">KRHttpTask</string></object>)";
    auto first = build(xml);
    auto second = build(xml);
    ASSERT_TRUE(first.ok() && second.ok()) << first.error().description;
    auto a = at<KRURLDataSource>(first.value(), 0), b = at<KRURLDataSource>(second.value(), 0);
    a->queryValues()->set("pageIndex", "2");
    EXPECT_EQ(a->queryValues()->string("uid"), "7");
    EXPECT_FALSE(b->queryValues()->contains("pageIndex")) << "one list's pages never reach the file or another list";
    EXPECT_EQ(a->httpClass(), pf::Class::named("KRHttpTask"));

    auto unknown = build(R"(<object class="KRURLDataSource"><string name="httpClass">NoSuchTask</string></object>)");
    ASSERT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().description.find("Sources.xml:1"), std::string::npos) << unknown.error().description;
}
