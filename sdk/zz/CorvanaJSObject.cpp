#include "sdk/zz/CorvanaJSObject.h"

#include "platform/foundation/Object.h"

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
