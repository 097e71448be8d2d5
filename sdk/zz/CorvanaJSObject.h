#pragma once

// One script module: the name space its functions appear under, the native
// object that answers them (not retained), and the methods in declaration
// order. Main thread.

#include "platform/foundation/Forward.h"
#include "sdk/zz/CorvanaMethodDescription.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CorvanaJSObject {
public:
    // False, changing nothing, unless both are given.
    bool transformNativeObj(const pf::ObjectRef& nativeObject, const std::optional<std::string>& jsObjKey);
    // Declares a method; false, adding nothing, when the selector or the
    // script name is empty or the codes' count differs from the selector's
    // ":" count. An empty code list means a method without arguments.
    bool transformNativeMethod(const std::string& methodSel, const std::string& jsFunc, int returnType,
                               const std::vector<int>& argumentTypes, CorvanaMethodDescription::Callable callable);

    const std::string& jsObjKey() const { return m_jsObjKey; }
    pf::ObjectRef registerObj() const { return m_registerObj.lock(); }
    // Declaring more methods never moves the ones already declared.
    const std::deque<CorvanaMethodDescription>& methodList() const { return m_methodList; }

private:
    std::string m_jsObjKey;
    std::weak_ptr<pf::Object> m_registerObj;
    std::deque<CorvanaMethodDescription> m_methodList;
};
