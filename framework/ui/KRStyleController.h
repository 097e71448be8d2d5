#pragma once

// The holder of the application's named-style entries: a view controller
// whose interface file (by default "Styles") fills the ordered `styles`
// collection when its view loads. Image files of the entries are resolved
// against `nibBundle()`. Main queue only.

#include "platform/foundation/Collections.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <string>

class KRStyleController : public pf::ViewController {
public:
    KRStyleController();
    KRStyleController(std::string nibName, const pf::Bundle* bundle);

    // Sheets that read the collection see it replaced or changed in place at
    // their next lookup.
    pf::ArrayRef styles() const { return m_styles; }
    void setStyles(pf::ArrayRef styles) { m_styles = std::move(styles); }

private:
    pf::ArrayRef m_styles;
};

using KRStyleControllerRef = std::shared_ptr<KRStyleController>;
