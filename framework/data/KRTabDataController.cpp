#include "framework/data/KRTabDataController.h"

#include "framework/data/KRObjectArrays.h"
#include "platform/controls/Control.h"
#include "platform/ui/View.h"

pf::ArrayRef KRTabDataController::controllers() const { return KRArrayOfObjects(m_controllers); }
void KRTabDataController::setControllers(pf::ArrayRef controllers) { m_controllers = KRObjectsOfArray<pf::Object>(controllers); }
pf::ArrayRef KRTabDataController::tabButtons() const { return KRArrayOfObjects(m_tabButtons); }
void KRTabDataController::setTabButtons(pf::ArrayRef buttons) { m_tabButtons = KRObjectsOfArray<pf::Control>(buttons); }
pf::ArrayRef KRTabDataController::contentViews() const { return KRArrayOfObjects(m_contentViews); }
void KRTabDataController::setContentViews(pf::ArrayRef views) { m_contentViews = KRObjectsOfArray<pf::View>(views); }

pf::ObjectRef KRTabDataController::selectedController() const
{
    return m_selectedIndex < m_controllers.size() ? m_controllers[m_selectedIndex] : nullptr;
}

std::shared_ptr<pf::Control> KRTabDataController::selectedTabButton() const
{
    return m_selectedIndex < m_tabButtons.size() ? m_tabButtons[m_selectedIndex] : nullptr;
}

pf::ViewRef KRTabDataController::selectedContentView() const
{
    return m_selectedIndex < m_contentViews.size() ? m_contentViews[m_selectedIndex] : nullptr;
}

void KRTabDataController::enableButtonsExcept(unsigned index)
{
    for (std::size_t i = 0; i < m_tabButtons.size(); ++i)
        m_tabButtons[i]->setEnabled(i != index);
}

void KRTabDataController::tellSelectedChanged()
{
    auto keep = shared_from_this();
    if (auto delegate = std::dynamic_pointer_cast<KRTabDataControllerDelegate>(this->delegate()))
        delegate->krTabDataControllerDidSelectedChanged(*this, m_selectedIndex);
}

void KRTabDataController::setSelectedIndex(unsigned index)
{
    if (index == m_selectedIndex)
        return;
    enableButtonsExcept(index);
    for (std::size_t i = 0; i < m_contentViews.size(); ++i)
        m_contentViews[i]->setHidden(i != index);
    m_selectedIndex = index;
    tellSelectedChanged();
}

void KRTabDataController::doTabAction(const pf::ObjectRef& sender)
{
    for (std::size_t i = 0; i < m_tabButtons.size(); ++i)
        if (m_tabButtons[i] == sender) {
            setSelectedIndex(static_cast<unsigned>(i));
            return;
        }
}

void KRTabDataController::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRDataController::setContext(context);
    for (const auto& controller : m_controllers)
        if (auto* owner = dynamic_cast<IKRController*>(controller.get()))
            owner->setContext(context);
}
