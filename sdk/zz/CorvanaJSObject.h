#pragma once

// One script module: the name space its functions appear under, the native
// object that answers them (not retained), and the methods in declaration
// order. Main thread.

#include "platform/foundation/Forward.h"
#include "sdk/zz/CorvanaMethodDescription.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One operation of a class module (see classModule): the selector, the name
// the scripts call, the type codes (CorvanaType), and the body, whose answer
// the script receives (nil for a void operation).
struct CorvanaModuleFunction {
    std::string selector;
    std::string name;
    int returnType = 0;
    std::vector<int> argumentTypes;
    std::function<pf::Value(const std::vector<pf::Value>&)> body;
};

class CorvanaJSObject {
public:
    // A module whose operations are static or belong to a process-wide
    // instance. Its target stands for the class: one per key, living for the
    // process, so a module made again reaches the same target and two modules
    // never share one. Every function must be well formed (asserted).
    static std::shared_ptr<CorvanaJSObject> classModule(const std::string& key,
                                                        const std::vector<CorvanaModuleFunction>& functions);

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
