#include "framework/core/KRShell.h"

#include "framework/core/IKRUIViewController.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/core/QueryValue.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Log.h"

#include <algorithm>

namespace {

// A flag of the configuration: a Boolean or number; any other type is a
// mistake and reads as the default.
bool flag(const pf::DictionaryRef& entry, std::string_view key)
{
    pf::Value v = entry->get(key);
    return v.isNumber() && v.boolValue();
}

}

std::shared_ptr<KRShell> KRShell::create(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle)
{
    std::shared_ptr<KRShell> shell(new KRShell);
    shell->initWithConfig(std::move(config), std::move(bundle));
    return shell;
}

void KRShell::initWithConfig(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle)
{
    m_config = config ? std::move(config) : pf::Dictionary::create();
    m_bundle = std::move(bundle);

    auto services = m_config->array("services");
    if (!services)
        return;
    for (const pf::Value& item : *services) {
        auto entry = item.dictionary();
        if (!entry)
            continue;
        auto className = entry->string("class");
        if (!className)
            continue;
        const pf::Class* cls = pf::Class::named(*className);
        if (!cls) {
            pf::log("Not found Service Class %s", className->c_str());
            continue;
        }
        if (!cls->conformsTo(proto::IKRService())) {
            pf::log("Service Class %s not implement IKRService", className->c_str());
            continue;
        }
        if (flag(entry, "disabled"))
            continue;
        auto container = addService(cls);
        container->setContext(std::static_pointer_cast<KRShell>(shared_from_this()));
        container->setConfig(entry);
        container->setInherit(flag(entry, "inherit"));
        if (auto taskTypes = entry->array("taskTypes")) {
            for (const pf::Value& name : *taskTypes) {
                const std::string* text = name.string();
                if (!text)
                    continue;
                if (const pf::Protocol* protocol = pf::Protocol::named(*text))
                    container->addTaskType(protocol);
                else
                    pf::log("Not found taskType %s", text->c_str());
            }
        }
    }
}

std::shared_ptr<KRServiceContainer> KRShell::addService(const pf::Class* serviceClass)
{
    auto container = std::make_shared<KRServiceContainer>(serviceClass);
    if (m_serviceContainers.empty())
        m_serviceContainers.reserve(4);
    m_serviceContainers.push_back(container);
    invalidateDispatchCache();
    return container;
}

class KRShell::DispatchScope {
public:
    explicit DispatchScope(KRShell& shell) : m_shell(shell) { ++m_shell.m_dispatchDepth; }
    ~DispatchScope()
    {
        if (--m_shell.m_dispatchDepth == 0 && !m_shell.m_retiredCaches.empty())
            m_shell.m_retiredCaches.clear();
    }

private:
    KRShell& m_shell;
};

const KRShell::ContainerList& KRShell::containersFor(const pf::Protocol* taskType)
{
    std::uint64_t generation = KRServiceContainer::matchingGeneration();
    if (generation != m_dispatchCacheGeneration) {
        invalidateDispatchCache();
        m_dispatchCacheGeneration = generation;
    }
    auto it = m_dispatchCache.find(taskType);
    if (it != m_dispatchCache.end())
        return it->second;
    ContainerList list;
    for (const auto& container : m_serviceContainers)
        if (container->hasTaskType(taskType))
            list.push_back(container.get());
    return m_dispatchCache.emplace(taskType, std::move(list)).first->second;
}

void KRShell::invalidateDispatchCache()
{
    if (m_dispatchDepth > 0)
        m_retiredCaches.push_back(std::move(m_dispatchCache));
    m_dispatchCache.clear();
}

bool KRShell::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority)
{
    // A service may add services or change matching rules while it handles
    // the task; the scope keeps the list being walked alive meanwhile.
    DispatchScope scope(*this);
    const ContainerList& containers = containersFor(taskType);
    for (KRServiceContainer* container : containers) {
        // Containers keep their services for the life of the shell.
        IKRService* service = container->instance().get();
        if (service && service->handle(taskType, task, priority))
            return true;
    }
    return false;
}

bool KRShell::handleOffMainQueue(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority)
{
    for (const auto& container : m_serviceContainers) {
        const auto& types = container->taskTypes();
        if (!container->hasInstance() || std::find(types.begin(), types.end(), taskType) == types.end())
            continue;
        if (container->instance()->handle(taskType, task, priority))
            return true;
    }
    return false;
}

bool KRShell::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    DispatchScope scope(*this);
    const ContainerList& containers = containersFor(taskType);
    for (KRServiceContainer* container : containers) {
        IKRService* service = container->instance().get();
        if (service && service->cancelHandle(taskType, task))
            return true;
    }
    return false;
}

bool KRShell::cancelHandleForSource(const pf::Object* source)
{
    // By index: a service may add containers while it cancels.
    for (std::size_t i = 0; i < m_serviceContainers.size(); ++i) {
        IKRService* service = m_serviceContainers[i]->instance().get();
        if (service && service->cancelHandleForSource(source))
            return true;
    }
    return false;
}

const std::vector<std::string>& KRShell::platformKeys()
{
    if (!m_platformKeys) {
        const pf::DeviceProfile& device = pf::DeviceProfile::current();
        bool seven = device.systemVersionNumber() >= 7.0;
        std::vector<std::string> keys;
        if (device.isPad()) {
            if (seven)
                keys.push_back("iPad_iOS7");
            keys.push_back("iPad");
        } else {
            if (device.screenHeight == 568) {
                if (seven)
                    keys.push_back("iPhone5_iOS7");
                keys.push_back("iPhone5");
            }
            keys.push_back("iPhone");
        }
        if (seven)
            keys.push_back("iOS7");
        m_platformKeys = std::move(keys);
    }
    return *m_platformKeys;
}

std::shared_ptr<IKRUIViewController> KRShell::makeViewController(const pf::Value& variantValue)
{
    auto variant = variantValue.dictionary();
    if (!variant)
        return nullptr;
    auto className = variant->string("class");
    if (!className) {
        // Storyboards are a platform feature this platform does not offer, so
        // an entry that names only a storyboard makes no controller.
        return nullptr;
    }
    const pf::Class* cls = pf::Class::named(*className);
    if (!cls) {
        pf::log("screen class %s is not known", className->c_str());
        return nullptr;
    }
    const pf::Class* creatorClass = pf::Class::named("KRCreatorViewController");
    bool isCreator = creatorClass && cls->isSubclassOf(creatorClass);
    if (!cls->conformsTo(proto::IKRUIViewController()) && !isCreator) {
        pf::log("%s is not a screen controller", className->c_str());
        return nullptr;
    }
    pf::ObjectRef object = cls->create();
    if (!object)
        return nullptr;
    if (auto nib = std::dynamic_pointer_cast<IKRNibLoadable>(object))
        nib->initWithNibName(variant->string("view"), m_bundle);
    if (isCreator) {
        // Reading the outlet loads the interface file, which connects the
        // controller that stands in for the creator.
        pf::ObjectRef made = object->valueForKey("viewController").object();
        if (!made) {
            pf::log("%s: interface file %s connects no viewController", className->c_str(),
                    variant->string("view").value_or("(none)").c_str());
            return nullptr;
        }
        object = made;
    }
    // A creator whose interface file supplied no screen controller makes none.
    auto controller = std::dynamic_pointer_cast<IKRUIViewController>(object);
    if (!controller) {
        const pf::Class* made = pf::Class::of(*object);
        pf::log("%s supplied a %s, not a screen controller", className->c_str(), made ? made->name().c_str() : "object");
    }
    return controller;
}

std::shared_ptr<IKRUIViewController> KRShell::getViewController(const pf::URL& url, const std::string& basePath)
{
    auto alias = firstPathComponent(url, basePath);
    auto ui = m_config->dictionary("ui");
    if (!alias || !ui)
        return nullptr;
    auto entry = ui->dictionary(*alias);
    if (!entry) {
        pf::log("no screen entry for %s in %s", alias->c_str(), url.absoluteString().c_str());
        m_missingScreenEntry = *alias;
        return nullptr;
    }
    bool cached = flag(entry, "cached");
    if (cached) {
        for (const auto& controller : m_viewControllers) {
            if (controller->alias() == *alias && controller->isDisplaced()) {
                controller->setBasePath(basePath);
                controller->setUrl(url);
                return controller;
            }
        }
    }
    pf::Value variant = pf::Value(entry);
    for (const std::string& key : platformKeys()) {
        pf::Value candidate = entry->get(key);
        if (candidate.isDictionary()) {
            variant = candidate;
            break;
        }
    }
    auto controller = makeViewController(variant);
    if (!controller)
        return nullptr;
    controller->setContext(std::static_pointer_cast<KRShell>(shared_from_this()));
    controller->setAlias(*alias);
    controller->setBasePath(basePath);
    controller->setScheme(entry->get("scheme"));
    controller->setUrl(url);
    controller->setConfig(entry);
    if (cached) {
        if (m_viewControllers.empty())
            m_viewControllers.reserve(4);
        m_viewControllers.push_back(controller);
    }
    return controller;
}

std::shared_ptr<IKRUIViewController> KRShell::rootViewController()
{
    if (m_rootViewController)
        return m_rootViewController;
    auto text = m_config->string("url");
    auto url = text ? pf::URL::create(*text) : std::nullopt;
    if (!url) {
        pf::log("no root screen: the configuration's \"url\" is %s", text ? "not a URL" : "missing");
        return nullptr;
    }
    m_rootViewController = getViewController(*url, "/");
    if (m_rootViewController) {
        auto root = m_rootViewController; // loadUrl may replace the member
        root->loadUrl(*url, "/", false);
    }
    return m_rootViewController;
}

pf::Value KRShell::focusValueForKey(const std::string& key) const
{
    return m_focusValues ? m_focusValues->get(key) : pf::Value();
}

void KRShell::setFocusValue(const pf::Value& value, const std::string& key)
{
    if (!m_focusValues)
        m_focusValues = pf::Dictionary::create();
    m_focusValues->set(key, value);
}

void KRShell::setResultsData(const pf::Value& data)
{
    // Moved out first, since the callback may replace the member while it
    // runs. The hand-back is one-shot for the whole call: a callback that
    // waits again from inside the running one is dropped with it.
    ResultsCallback callback = std::move(m_resultsCallback);
    m_resultsCallback = nullptr;
    if (!callback)
        return;
    callback(data);
    m_resultsCallback = nullptr;
}

void KRShell::waitResultsData(ResultsCallback callback) { m_resultsCallback = std::move(callback); }

void KRShell::didReceiveMemoryWarning()
{
    std::erase_if(m_viewControllers, [](const auto& controller) { return controller->isDisplaced(); });
    for (std::size_t i = 0; i < m_serviceContainers.size(); ++i) {
        auto container = m_serviceContainers[i];
        container->didReceiveMemoryWarning();
    }
}
