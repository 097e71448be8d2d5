#pragma once

// The tabs a tab container makes from its configuration's "items": for
// each element with a "url" that parses and yields a controller through the
// context (base path "/"), that controller with `parent` as its parent,
// loaded with the URL from "/" without animation; other elements make no
// tab. Tabs keep array order.
//
// Main queue only.

#include "framework/core/IKRUIViewController.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/ViewController.h"

#include <vector>

struct KRTab {
    pf::ViewControllerRef controller;
    pf::DictionaryRef entry;
};

std::vector<KRTab> KRMakeTabs(const pf::Dictionary& config, const std::shared_ptr<IKRUIContext>& context,
                              const std::shared_ptr<IKRUIViewController>& parent);
