#pragma once

// A list's failed load, shown as the home shows it: the list's not-found
// view, which its interface file keeps hidden (an empty list is no
// failure), shows the failure's text (ZMRMessage) in its first label. The
// list controller places the not-found view over an empty list only, so a
// failure over rows already shown keeps them, with no notice. A later
// answer hides it again.
//
// Main queue only.

#include "platform/foundation/Error.h"

class KRListLoadingViews;

void ZMRShowListFailure(const KRListLoadingViews& list, const pf::Error& error);
void ZMRHideListFailure(const KRListLoadingViews& list);
