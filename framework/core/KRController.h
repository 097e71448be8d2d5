#pragma once

// A non-screen controller with a context and a delegate (neither owned), and
// a user action raised by buttons, controls and markup elements.
// Main queue only.

#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Object.h"

#include <string>

class IKRController {
public:
    virtual ~IKRController() = default;
    virtual std::shared_ptr<IKRUIContext> context() const = 0;
    virtual void setContext(std::weak_ptr<IKRUIContext> context) = 0;
    virtual pf::ObjectRef delegate() const = 0;
    virtual void setDelegate(const pf::ObjectRef& delegate) = 0;
};

class KRController : public pf::Object, public IKRController {
public:
    std::shared_ptr<IKRUIContext> context() const override { return m_context.lock(); }
    void setContext(std::weak_ptr<IKRUIContext> context) override { m_context = std::move(context); }
    pf::ObjectRef delegate() const override { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) override { m_delegate = delegate; }

private:
    std::weak_ptr<IKRUIContext> m_context;
    pf::WeakObject m_delegate;
};

class IKRAction {
public:
    virtual ~IKRAction() = default;
    virtual const std::string& actionName() const = 0;
    virtual void setActionName(const std::string& name) = 0;
    virtual const pf::Value& userInfo() const = 0;
    virtual void setUserInfo(const pf::Value& userInfo) = 0;
    // The views the action was raised from (owned).
    virtual const std::vector<pf::ObjectRef>& actionViews() const = 0;
    virtual void setActionViews(std::vector<pf::ObjectRef> views) = 0;
};

class KRAction : public pf::Object, public IKRAction {
public:
    const std::string& actionName() const override { return m_actionName; }
    void setActionName(const std::string& name) override { m_actionName = name; }
    const pf::Value& userInfo() const override { return m_userInfo; }
    void setUserInfo(const pf::Value& userInfo) override { m_userInfo = userInfo; }
    const std::vector<pf::ObjectRef>& actionViews() const override { return m_actionViews; }
    void setActionViews(std::vector<pf::ObjectRef> views) override { m_actionViews = std::move(views); }

private:
    std::string m_actionName;
    pf::Value m_userInfo;
    std::vector<pf::ObjectRef> m_actionViews;
};
