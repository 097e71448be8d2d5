#pragma once

// Controls and bar items that carry a user action (IKRAction: a name, user
// information and related views), so a screen handles every tap through
// one entry point. They only store the action; the screen reads it.
//
// Main queue only.

#include "framework/core/KRController.h"
#include "platform/controls/BarItem.h"
#include "platform/controls/Button.h"

// The three IKRAction fields, kept the same way by every carrier.
class KRActionFields : public IKRAction {
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

class KRButton : public pf::Button, public KRActionFields {
public:
    explicit KRButton(const pf::Rect& frame = {}) : pf::Button(frame) {}
};

class KRBarButtonItem : public pf::BarButtonItem, public KRActionFields {};

class KRTabBarItem : public pf::TabBarItem, public KRActionFields {};
