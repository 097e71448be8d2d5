#pragma once

// The table of comment rows, under the details head or alone: one markup
// document per comment (see KRDocumentDataController.h). The header and
// footer cells always count, so a head shows above a post that has no
// comments yet.
//
// A row's element "bg" takes the colour of the row's place among the
// source's objects: "#f8ece5" for an even index, "#f7e3db" for an odd one.
// The place is found by identity, never by equality: two comments with the
// same text are two rows, each with its own colour.
//
// Main queue only.

#include "framework/data/KRDocumentDataController.h"
#include "platform/foundation/URL.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class ZMRCommentListController : public KRDocumentDataController {
public:
    static constexpr const char* kEvenRowColour = "#f8ece5";
    static constexpr const char* kOddRowColour = "#f7e3db";

    // Where `object` itself stands in `objects`; nothing when it is not there.
    static std::optional<std::size_t> indexOfObjectIdenticalTo(const pf::Array& objects, const pf::Value& object);

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
