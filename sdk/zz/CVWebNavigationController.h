#pragma once

// The navigation controller of the SDK's pages: its bar wears the SDK's bar
// picture, stretched over the bar, when there is one (the application
// definition's "NavigationBar": a path inside the resources when it names a
// ".bundle", else a resource name; absent: the SDK bundle's
// "corvanaSDKNavigationBar.png"; anything else: the plain bar).
//
// Main queue only.

#include "platform/controls/NavigationController.h"

#include <optional>
#include <string>

class CVWebNavigationController : public pf::NavigationController {
public:
    void viewDidLoad() override;
    // The bar picture's path, when a file is there.
    static std::optional<std::string> navigationBarImagePath();
};
