#pragma once

// What a list controller tells its owner (usually the screen), relayed from
// its own data source. Every callback is optional: the defaults do nothing.
// The delegates of the list controllers inherit it virtually, so a screen
// that is the delegate of several kinds of list (tabs and table pages) is
// one KRDataControllerDelegate, which the controllers can find in it.
// Main queue only.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

class KRDataController;

class KRDataControllerDelegate {
public:
    virtual ~KRDataControllerDelegate() = default;
    virtual void krDataControllerWillLoading(KRDataController& controller);
    virtual void krDataControllerDidLoadedFromCache(KRDataController& controller, pf::Date timestamp);
    virtual void krDataControllerDidLoaded(KRDataController& controller);
    virtual void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error);
    virtual void krDataControllerDidContentChanged(KRDataController& controller);
};
