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

    pf::ArrayRef styles() const { return m_styles; }
    // Replacing the collection also tells the sheets that read it to drop
    // what they cached from the old one.
    void setStyles(pf::ArrayRef styles);
    // Counts setStyles calls, so caches know when the collection changed.
    unsigned stylesGeneration() const { return m_generation; }

private:
    pf::ArrayRef m_styles;
    unsigned m_generation = 0;
};

using KRStyleControllerRef = std::shared_ptr<KRStyleController>;
