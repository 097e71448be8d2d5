#include "sdk/zz/CorvanaJSObject.h"

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <cassert>
#include <map>
#include <mutex>

std::shared_ptr<CorvanaJSObject> CorvanaJSObject::classModule(const std::string& key,
                                                              const std::vector<CorvanaModuleFunction>& functions)
{
    static std::mutex mutex;
    static auto* targets = new std::map<std::string, pf::ObjectRef>(); // guarded by mutex; never freed
    pf::ObjectRef target;
    {
        std::lock_guard lock(mutex);
        auto& slot = (*targets)[key];
        if (!slot)
            slot = std::make_shared<pf::Object>();
        target = slot;
    }
    auto module = std::make_shared<CorvanaJSObject>();
    module->transformNativeObj(target, key);
    for (const CorvanaModuleFunction& function : functions) {
        [[maybe_unused]] bool declared = module->transformNativeMethod(
            function.selector, function.name, function.returnType, function.argumentTypes,
            [body = function.body](const std::vector<pf::Value>& arguments) {
                return std::optional<pf::Value>(body(arguments));
            });
        assert(declared);
    }
    return module;
}

bool CorvanaJSObject::transformNativeObj(const pf::ObjectRef& nativeObject, const std::optional<std::string>& jsObjKey)
{
    if (!nativeObject || !jsObjKey)
        return false;
    m_registerObj = nativeObject;
    m_jsObjKey = *jsObjKey;
    return true;
}

bool CorvanaJSObject::transformNativeMethod(const std::string& methodSel, const std::string& jsFunc, int returnType,
                                            const std::vector<int>& argumentTypes,
                                            CorvanaMethodDescription::Callable callable)
{
    if (methodSel.empty() || jsFunc.empty() || !callable)
        return false;
    CorvanaMethodDescription description(methodSel, jsFunc,
                                         argumentTypes.empty() ? std::nullopt : std::optional(argumentTypes),
                                         returnType, std::move(callable));
    if (static_cast<int>(argumentTypes.size()) != description.funcArgumentNumber())
        return false;
    m_methodList.push_back(std::move(description));
    return true;
}
