#pragma once

// The table of comment rows, under the details head or alone: one markup
// document per comment (see KRDocumentDataController.h). The header and
// footer cells always count, so a head shows above a post that has no
// comments yet.
//
// Rows are tinted by their place among the source's objects (ZMRRowTint.h).
//
// Main queue only.

#include "framework/data/KRDocumentDataController.h"
#include "platform/foundation/URL.h"

#include <optional>
#include <string>
#include <string_view>

class ZMRCommentListController : public KRDocumentDataController {
public:
    int tableViewNumberOfRowsInSection(pf::TableView& table, int section) override;
    void documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row) override;
};

// What the comment rows' actions carry. Markup keeps entities ("&nbsp;",
// "&lt;", "&gt;") in attribute texts, so they are decoded here: an
// attribute as the text it stands for, nothing when absent.
std::optional<std::string> ZMRDecodedAttribute(const KRDOMElement& element, std::string_view key);
// The composer for a reply to the comment of a row's "reply" element:
// "pop:///publish-comment" with its "cid" and the title "回复: " and its
// "nick"; nothing without a "cid".
std::optional<pf::URL> ZMRReplyComposerURL(const KRDOMElement& element);
// The query of a "user" element ("uid", "nick"; absent ones left out).
pf::DictionaryRef ZMRUserQuery(const KRDOMElement& element);
