#pragma once

// The paged server list of comments. After every page each comment gains
// "fmtCreateTime" as every list's items do (ZMRDisplayFields.h) and "html",
// the markup its row template inserts raw:
//
//   - the body ("body" text; anything else reads as empty), HTML-encoded
//     with every blank as "&nbsp;";
//   - for a reply (a dictionary "reply"), a line before it:
//     "回复:&nbsp;<a action-name='user' uid='UID'>NICK</a><br/>", UID and NICK
//     from "reply.user.uid" and "reply.user.nick", both encoded.
//
// So server text can add exactly one element, the reply link, and never
// markup of its own; NUL characters are dropped, as the markup parser
// refuses a whole document holding one. The items of the page just taken in are given these
// fields afresh (an "html" they arrived with is dropped: it would go into the
// row unencoded); items listed before keep theirs. Main queue only.

#include "app/screens/shared/ZMRPageDataSource.h"

#include <string>

class ZMRCommentListDataSource : public ZMRPageDataSource {
public:
    void loadResultsData(const pf::Value& results) override;
};

// The "html" of one comment item, as above.
std::string ZMRCommentHtml(const pf::Dictionary& comment);
