#pragma once

// The display fields the application's list sources add to each server
// item, for the row templates to show. Each is added only when the item
// lacks it, so an item that could not get one (no position yet) tries again
// with the next page:
//
// - "fmtCreateTime": the relative time of "createTime" (seconds since 1970,
//   a decimal number as ZMRNumberText.h reads it, numeric text included, of
//   no more than 1e12 in size; anything else gives none);
// - "distance" and "fmtDistance" ("%d米" below 1000 m, else "%d公里", both
//   truncated; under 1 m counts as 1 m): from "latitude" and "longitude",
//   which must be finite, non-zero and on the globe, and only while the
//   context knows its own position;
// - "html": the text "body" HTML-encoded with every blank written "&nbsp;"
//   (the markup drops plain blanks), so that a template may insert it raw
//   and a body can never become markup; no text "body", no "html".
//
// Main queue only.

#include "platform/foundation/Forward.h"

#include <string>
#include <string_view>

class ZMRContext;

void ZMRAddDisplayFields(pf::Dictionary& item, const ZMRContext* context);
// Only "fmtCreateTime", as above; the comment list adds no other field.
void ZMRAddCreateTime(pf::Dictionary& item);

// `body` encoded for markup with every blank as "&nbsp;".
std::string ZMRHtmlBody(std::string_view body);
// "%d米" or "%d公里" for a distance of at least 0 metres.
std::string ZMRFormatDistance(double metres);
