// Links: zmr_screens kr_dom
// Comment pages of any shape through ZMRCommentListDataSource into a row
// template that inserts "html" raw: the input is two JSON answers (page 1,
// then page 2) split at the first line break. Every comment row must hold
// exactly one "a" element when its "reply" is a dictionary and none
// otherwise, whatever the body, the names or an arriving "html" say.
#include "app/screens/feed/ZMRCommentListDataSource.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMRegistration.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Collections.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char* const kRow = "<div class='comment'><span class='nick'>{nick}</span><span>{fmtCreateTime}</span>"
                         "<div class='body'>{$html}</div></div>";

int links(const KRDOMElement& element)
{
    int count = element.name() == "a" ? 1 : 0;
    for (const auto& child : element.childs())
        count += links(*child);
    return count;
}

// The elements named "a" in `markup`, or -1 when it does not parse.
int linksIn(const std::string& markup)
{
    auto document = KRDOMDocument::create();
    if (!KRDOMParse().parseHTML(markup, *document) || !document->rootElement())
        return -1;
    return links(*document->rootElement());
}

void checkRows(KRDataSource& source)
{
    for (const pf::Value& item : *source.dataObjects()) {
        if (!item.isDictionary())
            continue;
        int expected = dataForKey(item, "reply").isDictionary() ? 1 : 0;
        // The source's markup always parses; a whole row does unless other
        // fields hold what the parser refuses (NUL), and then it adds nothing.
        if (linksIn("<div>" + dataForKey(item, "html").stringOr("(none)") + "</div>") != expected)
            std::abort();
        int row = linksIn(htmlStringByDOMSource(kRow, item));
        if (row != expected && row != -1)
            std::abort();
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool registered = (registerScreensClasses(), registerDOMClasses(), true);
    (void)registered;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t split = text.find('\n');
    auto source = std::make_shared<ZMRCommentListDataSource>();
    source->setDataKey(std::string("list"));
    source->reloadData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(text.substr(0, split)), nullptr);
    checkRows(*source);
    source->loadMoreData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(split == std::string::npos ? std::string() : text.substr(split + 1)), nullptr);
    checkRows(*source);
    return 0;
}
