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

void registerEditors()
{
    pf::ClassBuilder<KRKeyboardController>("KRKeyboardController")
        .weakProperty("delegate", &KRKeyboardController::delegate, &KRKeyboardController::setDelegate)
        .commit();
    pf::ClassBuilder<KRFormKeyboardEditor>("KRFormKeyboardEditor")
        .adopts(formEditorProtocol())
        .adopts(keyboardDelegateProtocol())
        .property("editorType", &KRFormKeyboardEditor::editorType, &KRFormKeyboardEditor::setEditorType)
        .property("formItem", &KRFormKeyboardEditor::formItem, &KRFormKeyboardEditor::setFormItem)
        .property("view", &KRFormKeyboardEditor::view, &KRFormKeyboardEditor::setView)
        .property("tipLabel", &KRFormKeyboardEditor::tipLabel, &KRFormKeyboardEditor::setTipLabel)
        .property("lengthLabel", &KRFormKeyboardEditor::lengthLabel, &KRFormKeyboardEditor::setLengthLabel)
        .action("doCloseAction", &KRFormKeyboardEditor::doCloseAction)
        .commit();
    pf::ClassBuilder<KRFormDateEditor>("KRFormDateEditor")
        .adopts(formEditorProtocol())
        .property("editorType", &KRFormDateEditor::editorType, &KRFormDateEditor::setEditorType)
        .property("formItem", &KRFormDateEditor::formItem, &KRFormDateEditor::setFormItem)
        .property("view", &KRFormDateEditor::view, &KRFormDateEditor::setView)
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
    pf::ClassBuilder<KRFormPickerEditor>("KRFormPickerEditor")
        .adopts(formEditorProtocol())
        .property("editorType", &KRFormPickerEditor::editorType, &KRFormPickerEditor::setEditorType)
        .property("formItem", &KRFormPickerEditor::formItem, &KRFormPickerEditor::setFormItem)
        .property("items", &KRFormPickerEditor::items, &KRFormPickerEditor::setItems)
        .property("numberOfColumns", &KRFormPickerEditor::numberOfColumns, &KRFormPickerEditor::setNumberOfColumns)
        .property("view", &KRFormPickerEditor::view, &KRFormPickerEditor::setView)
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
