// Links: pf_ui
// Feeds arbitrary bytes to the interface-file parser; whatever parses is
// instantiated with a fresh owner. Nothing may crash or leak, and a failed
// instantiation must leave the owner's view unset.
#include "platform/foundation/Bundle.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool registered = (pf::registerUiClasses(), true);
    (void)registered;
    static pf::Bundle bundle("/nonexistent-fuzz-bundle");
    auto file = pf::InterfaceFile::parse(std::string_view(reinterpret_cast<const char*>(data), size), "Fuzz", bundle);
    if (!file)
        return 0;
    const pf::Class* ownerClass = file.value()->ownerClass();
    pf::ObjectRef owner = ownerClass ? ownerClass->create() : std::make_shared<pf::ViewController>();
    if (!owner)
        return 0;
    auto controller = std::dynamic_pointer_cast<pf::ViewController>(owner);
    auto made = file.value()->instantiate(owner);
    if (!made && controller && controller->viewIfLoaded())
        std::abort();
    return 0;
}
