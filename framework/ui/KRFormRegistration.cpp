#include "framework/ui/KRFormRegistration.h"

#include "framework/ui/KRFormButton.h"
#include "framework/ui/KRFormController.h"
#include "framework/ui/KRFormDateEditor.h"
#include "framework/ui/KRFormKeyboardEditor.h"
#include "framework/ui/KRFormPickerEditor.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

const pf::Protocol* formItemViewProtocol()
{
    return pf::Protocol::define("IKRFormItemView");
}

const pf::Protocol* formEditorProtocol()
{
    return pf::Protocol::define("IKRFormEditor");
}

const pf::Protocol* formItemDelegateProtocol()
{
    return pf::Protocol::define("KRFormItemDelegate");
}

const pf::Protocol* keyboardDelegateProtocol()
{
    return pf::Protocol::define("KRKeyboardControllerDelegate");
}

void registerItems()
{
    pf::ClassBuilder<KRFormItem>("KRFormItem")
        .property("focus", &KRFormItem::isFocus, &KRFormItem::setFocus)
        .property("view", &KRFormItem::view, &KRFormItem::setView)
        .property("length", &KRFormItem::length, &KRFormItem::setLength)
        .weakProperty("delegate", &KRFormItem::delegate, &KRFormItem::setDelegate)
        .property("editorType", &KRFormItem::editorType, &KRFormItem::setEditorType)
        .property("tip", &KRFormItem::tip, &KRFormItem::setTip)
        .property("field", &KRFormItem::field, &KRFormItem::setField)
        .property("value", &KRFormItem::value, &KRFormItem::setValue)
        .property("text", &KRFormItem::text, &KRFormItem::setText)
        .readonlyProperty("empty", &KRFormItem::isEmpty)
        .action("doFocusAction", &KRFormItem::doFocusAction)
        .commit();
    pf::ClassBuilder<KRFormController>("KRFormController")
        .adopts(formItemDelegateProtocol())
        .property("focusEditor", &KRFormController::focusEditor, &KRFormController::setFocusEditor)
        .property("formItems", &KRFormController::formItems, &KRFormController::setFormItems)
        .property("focusFormItem", &KRFormController::focusFormItem, &KRFormController::setFocusFormItem)
        .property("editors", &KRFormController::editors, &KRFormController::setEditors)
        .readonlyProperty("formValues", &KRFormController::formValues)
        .commit();
    pf::ClassBuilder<KRFormButton>("KRFormButton")
        .superclass<pf::Button>()
        .adopts(formItemViewProtocol())
        .property("value", &KRFormButton::value, &KRFormButton::setValue)
        .property("text", &KRFormButton::text, &KRFormButton::setText)
        .commit();
}

// The rows every form editor registers.
template <class E> pf::ClassBuilder<E>& editorRows(pf::ClassBuilder<E>& builder)
{
    return builder.adopts(formEditorProtocol())
        .property("editorType", &KRFormEditor::editorType, &KRFormEditor::setEditorType)
        .property("formItem", &KRFormEditor::formItem, &E::setFormItem)
        .property("view", &KRFormEditor::view, &KRFormEditor::setView);
}

void registerEditors()
{
    pf::ClassBuilder<KRKeyboardController>("KRKeyboardController")
        .weakProperty("delegate", &KRKeyboardController::delegate, &KRKeyboardController::setDelegate)
        .commit();
    pf::ClassBuilder<KRFormKeyboardEditor> keyboard("KRFormKeyboardEditor");
    editorRows(keyboard)
        .adopts(keyboardDelegateProtocol())
        .property("tipLabel", &KRFormKeyboardEditor::tipLabel, &KRFormKeyboardEditor::setTipLabel)
        .property("lengthLabel", &KRFormKeyboardEditor::lengthLabel, &KRFormKeyboardEditor::setLengthLabel)
        .action("doCloseAction", &KRFormKeyboardEditor::doCloseAction)
        .commit();
    pf::ClassBuilder<KRFormDateEditor> date("KRFormDateEditor");
    editorRows(date)
        .property("datePicker", &KRFormDateEditor::datePicker, &KRFormDateEditor::setDatePicker)
        .property("dateFormat", &KRFormDateEditor::dateFormat, &KRFormDateEditor::setDateFormat)
        .action("doOKAction", &KRFormDateEditor::doOKAction)
        .action("doCancelAction", &KRFormDateEditor::doCancelAction)
        .commit();
    pf::ClassBuilder<KRFormPickerEditorItem>("KRFormPickerEditorItem")
        .property("value", &KRFormPickerEditorItem::value, &KRFormPickerEditorItem::setValue)
        .property("text", &KRFormPickerEditorItem::text, &KRFormPickerEditorItem::setText)
        .property("items", &KRFormPickerEditorItem::items, &KRFormPickerEditorItem::setItems)
        .commit();
    pf::ClassBuilder<KRFormPickerEditor> picker("KRFormPickerEditor");
    editorRows(picker)
        .property("items", &KRFormPickerEditor::items, &KRFormPickerEditor::setItems)
        .property("numberOfColumns", &KRFormPickerEditor::numberOfColumns, &KRFormPickerEditor::setNumberOfColumns)
        .property("pickerView", &KRFormPickerEditor::pickerView, &KRFormPickerEditor::setPickerView)
        .action("doOKAction", &KRFormPickerEditor::doOKAction)
        .action("doCancelAction", &KRFormPickerEditor::doCancelAction)
        .commit();
}

}

void registerFormClasses()
{
    registerItems();
    registerEditors();
}
