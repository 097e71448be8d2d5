// Links: kr_ui
// Input: a key path, NUL, a template, NUL, a JSON item. Outlets of every kind
// apply the item onto a label, an image view, a button and a control under
// many keys: no crash, and a label bound as text shows the item's text.
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Log.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (registerUIClasses(), pf::setLogLevel(pf::LogLevel::Error), true);
    (void)ready;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t a = std::min(input.find('\0'), size), b = std::min(input.find('\0', a + 1), size);
    const std::string path = input.substr(0, a), format = a < b ? input.substr(a + 1, b - a - 1) : "";
    const pf::Value item = KRJSON::decodeText(b < size ? input.substr(b + 1) : "");

    auto label = std::make_shared<pf::Label>();
    auto views = pf::Array::create({label, std::make_shared<KRImageView>(), std::make_shared<pf::Button>(),
                                    std::make_shared<pf::Control>()});
    auto outlets = pf::Array::create();
    for (std::string key : {"text", "src", "image", "title", "titleLabel.text", "visable", "disabled", "frame", ""}) {
        for (auto source : {&KRDataOutlet::setStringKeyPath, &KRDataOutlet::setBooleanKeyPath,
                            &KRDataOutlet::setStringFormat, &KRDataOutlet::setValueKeyPath,
                            &KRDataOutlet::setEnabledKeyPath, &KRDataOutlet::setDisabledKeyPath}) {
            auto outlet = std::make_shared<KRDataOutlet>();
            outlet->setKeyPath(key.empty() ? path : key), outlet->setViews(views), outlet->setValue(item);
            ((*outlet).*source)(source == &KRDataOutlet::setStringFormat ? format : path);
            outlets->add(outlet);
        }
    }
    outlets->add(outlets->at(0)); // the text outlet again, last
    KRDataOutletContainer container;
    container.setDataOutlets(outlets);
    container.applyDataOutlet(item);
    pf::Value field = dataForKeyPath(item, path); // an empty path means the fixed value instead
    if (!path.empty() && label->text() != (field.isNilOrNull() ? "" : field.isString() ? *field.string() : field.description()))
        std::abort();
    return 0;
}
