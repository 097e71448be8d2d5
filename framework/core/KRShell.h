#pragma once

// The application shell: owns the configuration, turns its "services" array
// into service containers and is the context every service, controller and
// screen holds. As the task bus it offers each task to the containers in
// configuration order; as the UI context it makes screen controllers from the
// "ui" entries, keeps the root controller, focus values and the results
// hand-back. Lives as long as the process. Main queue only; dispatch is
// synchronous.

#include "framework/core/Forward.h"
#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Object.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class KRShell : public pf::Object, public IKRUIContext {
public:
    // Configuration mistakes are logged and skipped, never fatal.
    static std::shared_ptr<KRShell> create(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle);

    std::shared_ptr<KRServiceContainer> addService(const pf::Class* serviceClass);

    // IKRServiceContext
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;
    // Any thread: for a thread that is not the main queue (the uncaught-
    // exception handler). Walks the containers directly, without the
    // dispatch cache the main queue keeps, and offers the task only to
    // services already made that list the type itself: those that take
    // types by inheritance observe everything and live on the main queue.
    bool handleOffMainQueue(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority);

    // IKRUIContext
    std::shared_ptr<IKRUIViewController> getViewController(const pf::URL& url, const std::string& basePath) override;
    pf::Value focusValueForKey(const std::string& key) const override;
    void setFocusValue(const pf::Value& value, const std::string& key) override;
    std::shared_ptr<IKRUIViewController> rootViewController() override;
    void setRootViewController(std::shared_ptr<IKRUIViewController> controller) { m_rootViewController = std::move(controller); }
    void setResultsData(const pf::Value& data) override;
    void waitResultsData(ResultsCallback callback) override;
    // Both sheets come from the providers of their libraries; null, with a
    // log line, while none is installed.
    std::shared_ptr<KRStyleSheet> styleSheet() override;
    std::shared_ptr<KRStyleController> styleController() override;
    void setStyleController(std::shared_ptr<KRStyleController> controller) override;
    std::shared_ptr<KRDOMStyleSheet> domStyleSheet() override;
    void loadDOMStyleSheet(std::string_view text) override;

    void didReceiveMemoryWarning();
    // Forgets every cached screen, shown or not: the next URL naming one
    // makes it afresh, while a shown one stays where it is until it leaves.
    // For a change that makes what the cached screens loaded stale.
    void forgetCachedViewControllers() { m_viewControllers.clear(); }

    // The last screen entry a URL named that the configuration lacks, taken
    // (and cleared) by the caller: containers open what they can of a URL,
    // so this tells an open that found every screen from one that did not.
    std::optional<std::string> takeMissingScreenEntry() { return std::exchange(m_missingScreenEntry, std::nullopt); }

    const pf::DictionaryRef& config() const { return m_config; }
    const std::shared_ptr<pf::Bundle>& bundle() const { return m_bundle; }
    const std::vector<std::shared_ptr<KRServiceContainer>>& serviceContainers() const { return m_serviceContainers; }
    const std::vector<std::shared_ptr<IKRUIViewController>>& viewControllers() const { return m_viewControllers; }
    // The keys of platform variants of screen entries, most specific first.
    const std::vector<std::string>& platformKeys();

protected:
    KRShell() = default;
    // The work of creation; subclasses' factories call it after constructing.
    void initWithConfig(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle);

private:
    using ContainerList = std::vector<KRServiceContainer*>;
    using DispatchCache = std::unordered_map<const pf::Protocol*, ContainerList>;
    class DispatchScope;
    // The containers that take a task type, in configuration order. The list
    // stays valid until the outermost dispatch returns.
    const ContainerList& containersFor(const pf::Protocol* taskType);
    void invalidateDispatchCache();
    std::shared_ptr<IKRUIViewController> makeViewController(const pf::Value& variant);

    std::vector<std::shared_ptr<IKRUIViewController>> m_viewControllers;
    std::vector<std::shared_ptr<KRServiceContainer>> m_serviceContainers;
    pf::DictionaryRef m_focusValues;
    std::shared_ptr<pf::Bundle> m_bundle;
    pf::DictionaryRef m_config;
    std::shared_ptr<IKRUIViewController> m_rootViewController;
    std::optional<std::vector<std::string>> m_platformKeys;
    std::optional<std::string> m_missingScreenEntry;
    ResultsCallback m_resultsCallback;
    std::shared_ptr<KRStyleSheet> m_styleSheet;
    std::shared_ptr<KRDOMStyleSheet> m_domStyleSheet;

    // Matching results per task type; rebuilt when any container's rules
    // change. A cache that goes stale while a dispatch walks one of its lists
    // is retired, not freed, until the outermost dispatch returns.
    DispatchCache m_dispatchCache;
    std::vector<DispatchCache> m_retiredCaches;
    std::uint64_t m_dispatchCacheGeneration = 0;
    int m_dispatchDepth = 0;
};
