#include "DataTestSupport.h"
#include "framework/core/IKRImageTask.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDocumentController.h"
#include "framework/data/KRDocumentDataController.h"
#include "framework/data/KRTemplateText.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/InterfaceFile.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <utility>

namespace {

const char* kRow = R"(<div width="100%" height="auto" layout="flow">
<label id="nick" width="100%" height="auto">{dataItem.nick}</label>
<label id="body" width="100%" height="auto">{dataItem.body}</label>
<img id="pic" width="40" height="40" src="{dataItem.pic}"/>
<action id="like" action-name="like" width="10" height="10"/><div id="plain" width="5" height="5"/></div>)";

std::shared_ptr<pf::Bundle> templateBundle()
{
    static auto bundle = [] {
        std::string dir = pf::temporaryDirectory() + "/doc-templates-" + std::to_string(getpid());
        pf::createDirectories(dir);
        pf::writeFileAtomically(dir + "/row.html", kRow);
        pf::writeFileAtomically(dir + "/dyn.html",
                                R"(<label title="{dataItem.nick}" width="100%" height="auto">{dataItem.body}</label>)");
        return std::make_shared<pf::Bundle>(dir);
    }();
    return bundle;
}

// Writes down the task type of every image handed over.
struct ImageBus : FakeBus {
    int local = 0, network = 0;
    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int priority) override
    {
        (type == proto::IKRImageTask() ? network : local) += 1;
        return FakeBus::handle(type, task, priority);
    }
};

// Subclasses reach "dataItem" only once registered as subclasses.
void registerTestControllers();

// Counts the documents it builds and hears its own actions.
struct Rows : KRDocumentDataController, KRDocumentDataControllerDelegate {
    int built = 0;
    std::string events;
    void documentWillLoadDataObject(KRDOMDocument&, const pf::Value&) override { ++built; }
    void krDocumentDataControllerElementDoAction(KRDocumentDataController&, KRDOMElement& e,
                                                 const pf::ObjectRef& action) override
    {
        events += std::string(e.eid().value_or("")) + (action ? "+action " : "+nil ");
    }
};


pf::Value row(const std::string& nick, const std::string& body = "hello")
{
    return pf::Value(pf::Dictionary::create({{"nick", pf::Value(nick)}, {"body", pf::Value(body)},
                                             {"pic", pf::Value("http://127.0.0.1:9/" + nick + ".png")}}));
}

struct Table {
    std::shared_ptr<ImageBus> bus = std::make_shared<ImageBus>();
    std::shared_ptr<Rows> rows = std::make_shared<Rows>();
    std::shared_ptr<KRDataSource> source = std::make_shared<KRDataSource>();
    std::shared_ptr<pf::TableView> table = std::make_shared<pf::TableView>(pf::Rect{0, 0, 320, 2000});

    Table()
    {
        registerTestControllers();
        rows->setHtml("row.html");
        rows->setBundle(templateBundle());
        rows->setContext(bus);
        rows->setDataSource(source);
        rows->setTableView(table);
    }
    pf::IndexPath at(int row) const { return {0, row}; }
    double height(int row) { return *rows->tableViewHeightForRowAtIndexPath(*table, at(row)); }
};

}

// Header and footer rows are the table controller's; data rows come after
// the headers, and a row that is no dictionary has no document.
TEST(KRDocumentDataController, DataRowsFollowTheHeadersAsDocuments)
{
    Table t;
    auto header = std::make_shared<pf::TableViewCell>();
    header->setFrame({0, 0, 320, 22});
    // As an interface file connects them: through the table controller's properties.
    t.rows->setValueForKey("headerCells", pf::Value(pf::Array::create({pf::Value(header), pf::Value(header)})));
    for (auto v : {row("a"), row("b"), pf::Value("not a dictionary")})
        t.source->dataObjects()->add(v);
    EXPECT_EQ(t.height(1), 22);
    EXPECT_GT(t.height(2), 50);
    EXPECT_EQ(t.height(4), 0);
    auto cell = t.rows->tableViewCellForRowAtIndexPath(*t.table, t.at(2));
    auto view = std::dynamic_pointer_cast<KRDOMView>(cell->contentView()->viewWithTag(100));
    ASSERT_TRUE(view && t.rows->documentByIndexPath(t.at(2)));
    EXPECT_EQ(view->element(), t.rows->documentByIndexPath(t.at(2))->rootElement());
}

TEST(KRDocumentDataController, DocumentsAreBuiltOnceAndImagesSweepOncePerPass)
{
    Table t;
    for (auto v : {row("a"), row("b"), row("c")})
        t.source->dataObjects()->add(v);
    for (int i = 0; i < 3; ++i)
        t.height(i);
    EXPECT_EQ(t.rows->built, 3);
    std::vector<std::shared_ptr<pf::TableViewCell>> cells;
    for (int i = 0; i < 3; ++i)
        cells.push_back(t.rows->tableViewCellForRowAtIndexPath(*t.table, t.at(i)));
    t.rows->tableViewCellForRowAtIndexPath(*t.table, t.at(0));
    EXPECT_EQ(t.rows->built, 3);
    EXPECT_EQ(t.bus->network, 0);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(t.bus->network, 3); // one download per picture, however often its row was shown

    // A dropped document is filled again from the row's current fields; braces stay text.
    t.source->dataObjectAtIndex(1).dictionary()->set("nick", pf::Value("{dataItem.body}{$dataItem.pic}"));
    t.rows->removeDocumentByIndexPath(t.at(1));
    auto document = t.rows->documentByIndexPath(t.at(1));
    EXPECT_EQ(t.rows->built, 4);
    EXPECT_EQ(document->elementById("nick")->text(), "{dataItem.body}{$dataItem.pic}");

    t.rows->setDelegate(t.rows);
    auto view = std::dynamic_pointer_cast<KRDOMView>(cells[0]->contentView()->viewWithTag(100));
    auto root = t.rows->documentByIndexPath(t.at(0));
    t.rows->krDOMViewDoActionElement(*view, *root->elementById("like"));
    t.rows->krDOMViewDoActionElement(*view, *root->elementById("plain"));
    EXPECT_EQ(t.rows->events, "like+action plain+nil ");
}

// A long list keeps documents for the rows it showed only: the others are
// measured on a document that is dropped, and keep just their height, which
// is the one their document has when shown.
TEST(KRDocumentDataController, RowsNotYetShownKeepOnlyTheirMeasuredHeight)
{
    Table t;
    t.rows->setRowDocuments(KRRowDocuments::ShownRows);
    for (auto v : {row("a"), row("b", std::string(400, 'w')), row("c")})
        t.source->dataObjects()->add(v);
    auto kept = [&](int i) {
        return !t.source->dataObjectAtIndex(i).dictionary()->get(KRDocumentDataController::kDocumentKey).isNil();
    };
    const double shortRow = t.height(0), wrapped = t.height(1);
    EXPECT_GT(wrapped, shortRow); // the long body wraps
    EXPECT_EQ(t.height(2), shortRow);
    EXPECT_EQ(t.rows->built, 3);
    EXPECT_FALSE(kept(0) || kept(1) || kept(2));
    // Asked again, nothing is built.
    EXPECT_EQ(t.height(1), wrapped);
    EXPECT_EQ(t.rows->built, 3);

    // Shown, the row keeps the document its height was measured on.
    t.rows->tableViewCellForRowAtIndexPath(*t.table, t.at(1));
    EXPECT_TRUE(kept(1));
    EXPECT_EQ(t.rows->built, 4);
    EXPECT_EQ(t.rows->documentByIndexPath(t.at(1))->rootElement()->frame().height(), wrapped);
    EXPECT_EQ(t.height(1), wrapped);
    EXPECT_EQ(t.rows->built, 4);

    // A dropped document takes its height along; a narrower table measures again.
    t.rows->removeDocumentByIndexPath(t.at(1));
    EXPECT_EQ(t.height(1), wrapped);
    EXPECT_EQ(t.rows->built, 5);
    t.table->setFrame({0, 0, 160, 2000});
    EXPECT_GT(t.height(2), 0);
    EXPECT_EQ(t.rows->built, 6);
    EXPECT_GT(t.height(1), wrapped);
}

TEST(KRDocumentDataController, TemplatesOutsideTheBundleAreRefused)
{
    for (const char* name : {"../row.html", "/etc/hostname", "a/../../row.html", "missing.html"}) {
        Table t;
        t.rows->setHtml(name);
        t.source->dataObjects()->add(row("a"));
        t.source->dataObjects()->add(row("b"));
        EXPECT_EQ(t.height(0), 0) << name;
        EXPECT_EQ(t.height(1), 0) << name;
    }
}

// A template is read once per name and bundle: a file changed on disk
// shows only once the name or the bundle changes.
TEST(KRTemplateTextCache, ReadsOncePerNameAndBundle)
{
    std::string dir = pf::temporaryDirectory() + "/doc-cache-" + std::to_string(getpid());
    pf::createDirectories(dir);
    pf::writeFileAtomically(dir + "/a.html", "one");
    pf::writeFileAtomically(dir + "/b.html", "two");
    auto bundle = std::make_shared<pf::Bundle>(dir);
    KRTemplateTextCache cache;
    cache.setBundle(bundle);
    cache.setName("a.html");
    EXPECT_EQ(cache.text(), "one");
    pf::writeFileAtomically(dir + "/a.html", "changed");
    cache.setName("a.html");
    cache.setBundle(bundle);
    EXPECT_EQ(cache.text(), "one");
    cache.setName("b.html");
    EXPECT_EQ(cache.text(), "two");
    cache.setName("a.html");
    EXPECT_EQ(cache.text(), "changed");
    pf::writeFileAtomically(dir + "/a.html", "again");
    cache.setBundle(std::make_shared<pf::Bundle>(dir));
    EXPECT_EQ(cache.text(), "again");
    cache.setName(std::nullopt);
    EXPECT_EQ(cache.text(), std::nullopt);
}

namespace {

struct Details : KRDocumentController {
    bool dynamic = false;
    std::string actions;
    bool hasDocumentDynamicDataBind() override { return dynamic; }
    void onActionElement(KRDOMElement& e) override { actions += std::string(e.eid().value_or("")) + " "; }
};

void registerTestControllers()
{
    static bool done = false;
    if (!std::exchange(done, true)) {
        pf::ClassBuilder<Rows>("TestDocumentRows").superclass<KRDocumentDataController>().commit();
        pf::ClassBuilder<Details>("TestDocumentDetails").superclass<KRDocumentController>().commit();
    }
}

// The controller and its document view as a screen's interface file holds them.
std::shared_ptr<Details> details(pf::Value item, bool dynamic)
{
    registerDataClasses();
    registerTestControllers();
    auto file = pf::InterfaceFile::parse(R"(<interface>
  <object id="d" class="TestDocumentDetails"><outlet name="documentView" to="v"/></object>
  <object id="v" class="KRDOMView"><rect name="frame">{{0, 0}, {320, 100}}</rect><outlet name="delegate" to="d"/></object>
</interface>)", "Details", *templateBundle());
    auto objects = file.value()->instantiate(std::make_shared<pf::Object>());
    auto d = std::dynamic_pointer_cast<Details>(objects.value().at(0));
    d->dynamic = dynamic;
    d->setHtml("row.html");
    d->setBundle(templateBundle());
    d->setDataItem(item);
    return d;
}

}

TEST(KRDocumentController, BuildsOnceLaysOutAndBindsDynamically)
{
    auto d = details(row("nick1"), false);
    auto view = std::static_pointer_cast<KRDOMView>(d->documentView());
    d->documentLayout();
    EXPECT_EQ(view->element(), nullptr); // nothing built yet
    d->setAllowAutoHeight(true);
    d->reloadData();
    auto root = d->document()->rootElement();
    EXPECT_EQ(view->element(), root);
    EXPECT_EQ(root->frame().width(), 320);
    EXPECT_GT(d->contentSize().height, 50);
    d->setDataItem(row("nick2"));
    d->reloadData();
    EXPECT_EQ(d->document()->elementById("nick")->text(), "nick1");
    d->setDocument(nullptr);
    d->reloadData();
    EXPECT_EQ(d->document()->elementById("nick")->text(), "nick2");
    view->delegate()->krDOMViewDoActionElement(*view, *d->document()->elementById("like")); // the controller has no delegate
    EXPECT_EQ(d->actions, "like ");

    // Dynamic binding records the root's templates once; server text with braces stays text.
    auto dyn = details(row("{dataItem.body}", "b"), true);
    dyn->setHtml("dyn.html");
    dyn->reloadData();
    dyn->documentLayout();
    dyn->documentLayout();
    auto label = dyn->document()->rootElement();
    EXPECT_EQ(dyn->dynamicDatas().size(), 2u);
    EXPECT_EQ(label->text(), "b");
    EXPECT_EQ(label->attributeValueForKey("title").value_or(""), "{dataItem.body}");
}
