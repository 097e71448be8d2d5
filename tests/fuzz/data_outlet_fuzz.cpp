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
#include <string>

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libpangoft2\nleak:libpangocairo\nleak:libharfbuzz\n"
           "leak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (registerUIClasses(), pf::setLogLevel(pf::LogLevel::Error), true);
    (void)ready;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t a = std::min(input.find('\0'), input.size()), b = std::min(input.find('\0', a + 1), input.size());
    const std::string path = input.substr(0, a), format = input.substr(std::min(a + 1, b), b - std::min(a + 1, b));
    const pf::Value item = KRJSON::decodeText(input.substr(std::min(b + 1, input.size())));

    auto label = std::make_shared<pf::Label>();
    auto views = pf::Array::create({label, std::make_shared<KRImageView>(), std::make_shared<pf::Button>(),
                                    std::make_shared<pf::Control>()});
    auto outlets = pf::Array::create();
    for (const char* key : {"text", "src", "image", "title", "titleLabel.text", "visable", "disabled", "alpha", "frame",
                            path.c_str()}) {
        for (int kind = 0; kind < 6; ++kind) {
            auto outlet = std::make_shared<KRDataOutlet>();
            outlet->setKeyPath(key), outlet->setViews(views), outlet->setValue(item);
            kind == 0 ? outlet->setStringKeyPath(path) : kind == 1 ? outlet->setBooleanKeyPath(path)
                : kind == 2 ? outlet->setStringFormat(format) : kind == 3 ? outlet->setValueKeyPath(path)
                : kind == 4 ? outlet->setEnabledKeyPath(path) : outlet->setDisabledKeyPath(path);
            outlets->add(outlet);
        }
    }
    KRDataOutletContainer container;
    container.setDataOutlets(outlets);
    container.applyDataOutlet(item);

    auto text = std::make_shared<KRDataOutlet>();
    text->setKeyPath("text"), text->setView(label), text->setStringKeyPath(path);
    text->applyDataOutlet(item);
    pf::Value field = path.empty() ? pf::Value() : dataForKeyPath(item, path);
    if (label->text() != (field.isNilOrNull() ? "" : field.isString() ? *field.string() : field.description()))
        std::abort();
    return 0;
}
