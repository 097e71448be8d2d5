// Links: kr_ui
// Input: JSON text, decoded (a dictionary, or any other value under every
// field) and set on a form with an item on each kind of view and a date and
// a choice item whose editors are then attached and confirmed. No crash,
// and only texts reach a view: a label shows a text it was given unchanged.
#include "FontLeakSuppressions.h"
#include "framework/core/KRJSON.h"
#include "framework/ui/KRFormButton.h"
#include "framework/ui/KRFormController.h"
#include "framework/ui/KRFormDateEditor.h"
#include "framework/ui/KRFormPickerEditor.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Collections.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (registerUIClasses(), true);
    (void)ready;
    const pf::Value input = KRJSON::decodeText(std::string(reinterpret_cast<const char*>(data), size));
    auto form = std::make_shared<KRFormController>();
    auto items = pf::Array::create();
    auto values = input.dictionary() ? input.dictionary() : pf::Dictionary::create();
    auto label = std::make_shared<pf::Label>();
    std::pair<const char*, pf::ViewRef> views[] = {
        {"label", label}, {"field", std::make_shared<pf::TextField>()}, {"text", std::make_shared<pf::TextView>()},
        {"button", std::make_shared<pf::Button>()}, {"view", std::make_shared<pf::View>()},
        {"date", std::make_shared<KRFormButton>()}, {"pick", std::make_shared<KRFormButton>()}};
    for (auto& [field, view] : views) {
        auto item = std::make_shared<KRFormItem>();
        item->setField(std::string(field)), item->setView(view), item->setEditorType(field), item->setDelegate(form);
        items->add(item);
        if (!input.dictionary())
            values->set(field, input);
    }
    form->setFormItems(items);
    auto dates = std::make_shared<KRFormDateEditor>();
    dates->setEditorType("date"), dates->setDatePicker(std::make_shared<pf::DatePicker>());
    auto picker = std::make_shared<KRFormPickerEditor>();
    auto leaf = std::make_shared<KRFormPickerEditorItem>();
    picker->setEditorType("pick"), picker->setNumberOfColumns(2), picker->setPickerView(std::make_shared<pf::PickerView>());
    leaf->setValue(pf::Value(1)), leaf->setText("一");
    picker->setItems(pf::Array::create({leaf}));
    form->setEditors(pf::Array::create({dates, picker}));

    form->setFormValues(pf::Value(values));
    const pf::Value shown = form->formValues()->get("label"), given = values->get("label");
    items->at(5).objectAs<KRFormItem>()->doFocusAction(nullptr);
    dates->doOKAction(nullptr);
    items->at(6).objectAs<KRFormItem>()->doFocusAction(nullptr);
    picker->doOKAction(nullptr);
    if (shown != pf::Value(given.isString() ? *given.string() : std::string()) || label->text() != shown.stringOr())
        std::abort();
    return 0;
}
