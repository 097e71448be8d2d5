#pragma once

// A bus that writes down what it is asked (one with a style sheet too), and a
// delegate of data sources and controllers that writes down what it hears.

#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataControllerDelegate.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/ui/KRStyleSheet.h"
#include "platform/foundation/Object.h"

#include <functional>
#include <string>
#include <vector>

class FakeBus : public pf::Object, public IKRUIContext {
public:
    std::vector<std::string> calls; // "handle" / "cancel"
    std::vector<pf::ObjectRef> tasks;
    std::vector<const pf::Object*> forSources;
    std::function<void(const pf::ObjectRef&)> onHandle;

    bool handle(const pf::Protocol*, const pf::ObjectRef& task, int) override
    {
        note("handle", task);
        if (onHandle)
            onHandle(task);
        return true;
    }
    bool cancelHandle(const pf::Protocol*, const pf::ObjectRef& task) override { return note("cancel", task); }
    bool cancelHandleForSource(const pf::Object* source) override
    {
        forSources.push_back(source);
        return false;
    }
    std::shared_ptr<IKRUIViewController> getViewController(const pf::URL&, const std::string&) override { return nullptr; }
    pf::Value focusValueForKey(const std::string&) const override { return {}; }
    void setFocusValue(const pf::Value&, const std::string&) override {}
    std::shared_ptr<IKRUIViewController> rootViewController() override { return nullptr; }
    void setResultsData(const pf::Value&) override {}
    void waitResultsData(ResultsCallback) override {}
    std::shared_ptr<KRStyleSheet> styleSheet() override { return nullptr; }
    std::shared_ptr<KRStyleController> styleController() override { return nullptr; }
    void setStyleController(std::shared_ptr<KRStyleController>) override {}
    std::shared_ptr<KRDOMStyleSheet> domStyleSheet() override { return nullptr; }
    void loadDOMStyleSheet(std::string_view) override {}

private:
    bool note(const char* call, const pf::ObjectRef& task)
    {
        calls.push_back(call);
        tasks.push_back(task);
        return true;
    }
};

struct StyledBus : FakeBus {
    std::shared_ptr<KRStyleSheet> sheet = std::make_shared<KRStyleSheet>();
    std::shared_ptr<KRStyleSheet> styleSheet() override { return sheet; }
};

class Heard : public pf::Object, public KRDataSourceDelegate, public KRDataControllerDelegate {
public:
    std::string events; // words separated by blanks
    const void* lastSender = nullptr;

    void krDataSourceWillLoading(KRDataSource& s) override { note("will", &s); }
    void krDataSourceDidLoadedFromCache(KRDataSource& s, pf::Date) override { note("cache", &s); }
    void krDataSourceDidLoaded(KRDataSource& s) override { note("loaded", &s); }
    void krDataSourceDidFitalError(KRDataSource& s, const pf::Error& e) override { note("error" + std::to_string(e.code), &s); }
    void krDataControllerWillLoading(KRDataController& c) override { note("will", &c); }
    void krDataControllerDidLoadedFromCache(KRDataController& c, pf::Date) override { note("cache", &c); }
    void krDataControllerDidLoaded(KRDataController& c) override { note("loaded", &c); }
    void krDataControllerDidFitalError(KRDataController& c, const pf::Error&) override { note("error", &c); }
    void krDataControllerDidContentChanged(KRDataController& c) override { note("changed", &c); }

private:
    void note(const std::string& word, const void* sender)
    {
        events += (events.empty() ? "" : " ") + word;
        lastSender = sender;
    }
};
