#pragma once

// A bus that only writes down what it was asked, and a data source delegate
// that writes down what it heard.

#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "platform/foundation/Object.h"

#include <functional>
#include <string>
#include <vector>

class FakeBus : public pf::Object, public IKRUIContext {
public:
    std::vector<std::string> calls; // "handle", "cancel", "forSource"
    std::vector<const pf::Object*> forSources;
    std::vector<std::pair<const pf::Protocol*, pf::ObjectRef>> handled, cancelled;
    std::function<void(const pf::ObjectRef&)> onHandle;

    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int) override
    {
        calls.push_back("handle");
        handled.emplace_back(type, task);
        if (onHandle)
            onHandle(task);
        return true;
    }
    bool cancelHandle(const pf::Protocol* type, const pf::ObjectRef& task) override
    {
        calls.push_back("cancel");
        cancelled.emplace_back(type, task);
        return true;
    }
    bool cancelHandleForSource(const pf::Object* source) override
    {
        calls.push_back("forSource");
        forSources.push_back(source);
        return false;
    }
    std::shared_ptr<IKRUIViewController> getViewController(const pf::URL&, const std::string&) override { return nullptr; }
    pf::Value focusValueForKey(const std::string&) const override { return {}; }
    void setFocusValue(const pf::Value&, const std::string&) override {}
    std::shared_ptr<IKRUIViewController> rootViewController() override { return nullptr; }
    void setResultsData(const pf::Value&) override {}
    void waitResultsData(ResultsCallback) override {}
};

class SourceRecorder : public pf::Object, public KRDataSourceDelegate {
public:
    std::vector<std::string> events;
    std::vector<const KRDataSource*> senders;

    void krDataSourceWillLoading(KRDataSource& s) override { note("will", s); }
    void krDataSourceDidLoadedFromCache(KRDataSource& s, pf::Date) override { note("cache", s); }
    void krDataSourceDidLoaded(KRDataSource& s) override { note("loaded", s); }
    void krDataSourceDidFitalError(KRDataSource& s, const pf::Error& e) override { note("error " + std::to_string(e.code), s); }
    void krDataSourceDidContentChanged(KRDataSource& s) override { note("changed", s); }

private:
    void note(std::string event, KRDataSource& sender)
    {
        events.push_back(std::move(event));
        senders.push_back(&sender);
    }
};
