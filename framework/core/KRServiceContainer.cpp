#include "framework/core/KRServiceContainer.h"

#include "platform/foundation/Log.h"

#include <algorithm>

bool KRServiceContainer::hasTaskType(const pf::Protocol* taskType) const
{
    if (!taskType)
        return false;
    if (!m_inherit)
        return std::find(m_taskTypes.begin(), m_taskTypes.end(), taskType) != m_taskTypes.end();
    return std::any_of(m_taskTypes.begin(), m_taskTypes.end(),
                       [&](const pf::Protocol* listed) { return taskType->conformsTo(listed); });
}

void KRServiceContainer::addTaskType(const pf::Protocol* taskType)
{
    if (!taskType || std::find(m_taskTypes.begin(), m_taskTypes.end(), taskType) != m_taskTypes.end())
        return;
    if (m_taskTypes.empty())
        m_taskTypes.reserve(4);
    m_taskTypes.push_back(taskType);
    s_matchingGeneration.fetch_add(1, std::memory_order_relaxed);
}

void KRServiceContainer::setInherit(bool inherit)
{
    m_inherit = inherit;
    s_matchingGeneration.fetch_add(1, std::memory_order_relaxed);
}

const std::shared_ptr<IKRService>& KRServiceContainer::instance()
{
    if (m_instance || m_instanceFailed || !m_instanceClass)
        return m_instance;
    pf::ObjectRef object = m_instanceClass->create();
    auto service = std::dynamic_pointer_cast<IKRService>(object);
    if (!service) {
        // Remember the failure: a class that makes no service would otherwise
        // be retried (and logged) on every dispatch.
        m_instanceFailed = true;
        pf::log("Service Class %s not implement IKRService", m_instanceClass->name().c_str());
        return m_instance;
    }
    m_instance = service;
    service->setContext(m_context);
    service->setConfig(m_config);
    return m_instance;
}

void KRServiceContainer::didReceiveMemoryWarning()
{
    if (m_instance)
        m_instance->didReceiveMemoryWarning();
}
