#pragma once

// The base service: declines every task and cancel, ignores memory warnings.
// Subclasses override what they serve. The configuration entry is owned; the
// context (the shell) is not. Main queue only.

#include "framework/core/IKRService.h"
#include "platform/foundation/Object.h"

class KRService : public pf::Object, public IKRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;
    void didReceiveMemoryWarning() override {}

    pf::DictionaryRef config() const override { return m_config; }
    void setConfig(pf::DictionaryRef config) override { m_config = std::move(config); }
    std::shared_ptr<IKRServiceContext> context() const override { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRServiceContext> context) override { m_context = std::move(context); }

private:
    pf::DictionaryRef m_config;
    std::weak_ptr<IKRServiceContext> m_context;
};
