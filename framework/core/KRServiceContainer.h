#pragma once

// One configured service entry: which task types it takes, and its service,
// created on first use with the shell as context and the entry as its
// configuration. Owns the service and the entry; the context is not owned.
// Main queue only.

#include "framework/core/IKRService.h"
#include "platform/foundation/Object.h"

#include <atomic>
#include <vector>

class KRServiceContainer : public pf::Object {
public:
    explicit KRServiceContainer(const pf::Class* instanceClass) : m_instanceClass(instanceClass) {}

    // The task type itself is listed or, with inherit, conforms to a listed protocol.
    bool hasTaskType(const pf::Protocol* taskType) const;
    void addTaskType(const pf::Protocol* taskType);
    const std::vector<const pf::Protocol*>& taskTypes() const { return m_taskTypes; }

    // The service, created on first call; null when the class makes no service.
    const std::shared_ptr<IKRService>& instance();
    // Whether the service exists yet.
    bool hasInstance() const { return m_instance != nullptr; }
    void didReceiveMemoryWarning();

    const pf::Class* instanceClass() const { return m_instanceClass; }
    pf::DictionaryRef config() const { return m_config; }
    void setConfig(pf::DictionaryRef config) { m_config = std::move(config); }
    std::shared_ptr<IKRServiceContext> context() const { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRServiceContext> context) { m_context = std::move(context); }
    bool isInherit() const { return m_inherit; }
    void setInherit(bool inherit);

    // Changes whenever any container's matching rules change, so that a
    // dispatcher can keep matching results and know when they went stale.
    static std::uint64_t matchingGeneration() { return s_matchingGeneration.load(std::memory_order_relaxed); }

private:
    static inline std::atomic<std::uint64_t> s_matchingGeneration{0};

    std::vector<const pf::Protocol*> m_taskTypes;
    const pf::Class* m_instanceClass = nullptr;
    bool m_inherit = false;
    std::shared_ptr<IKRService> m_instance;
    bool m_instanceFailed = false;
    pf::DictionaryRef m_config;
    std::weak_ptr<IKRServiceContext> m_context;
};
