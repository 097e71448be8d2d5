#include "app/screens/feed/ZMRCommentListController.h"

#include "app/screens/shared/ZMRRowTint.h"
#include "framework/core/QueryValue.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Collections.h"

int ZMRCommentListController::tableViewNumberOfRowsInSection(pf::TableView&, int)
{
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    return headerCount() + n + footerCount();
}

void ZMRCommentListController::documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row)
{
    auto objects = dataSource() ? dataSource()->dataObjects() : nullptr;
    ZMRTintRowDocument(document, row, objects.get());
}

std::optional<std::string> ZMRDecodedAttribute(const KRDOMElement& element, std::string_view key)
{
    auto value = element.attributeValueForKey(key);
    if (!value)
        return std::nullopt;
    return htmlDecodeString(*value);
}

std::optional<pf::URL> ZMRReplyComposerURL(const KRDOMElement& element)
{
    auto cid = ZMRDecodedAttribute(element, "cid");
    if (!cid || cid->empty())
        return std::nullopt;
    auto query = pf::Dictionary::create();
    query->set("cid", *cid);
    query->set("title", "回复: " + ZMRDecodedAttribute(element, "nick").value_or(""));
    return URLWithString("pop:///publish-comment", pf::Value(query));
}

pf::DictionaryRef ZMRUserQuery(const KRDOMElement& element)
{
    auto query = pf::Dictionary::create();
    for (const char* key : {"uid", "nick"}) {
        if (auto text = ZMRDecodedAttribute(element, key))
            query->set(key, *text);
    }
    return query;
}
