#pragma once

// One native method offered to the SDK's scripts: the selector name (its ":"
// count is the number of arguments), the function name the scripts call, the
// argument and return type codes, and the callable that runs it.
//
// The callable holds its target weakly and answers nothing once the target is
// gone; the runtime then treats the method as one the target does not
// respond to. Immutable after creation; main thread.

#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Type codes of arguments and results.
enum class CorvanaType : int {
    String = 1,
    Dictionary = 2, // JSON text of an object
    Array = 3,      // "[a,b]": the texts between the brackets, split at ","
    Bool = 4,       // "true" / "false"
    Int = 5,
    Float = 6,
    Double = 7,
    Object = 8, // a registered module's native object
    Void = 9,
};

class CorvanaMethodDescription {
public:
    // The result, or nothing when the target is gone.
    using Callable = std::function<std::optional<pf::Value>(const std::vector<pf::Value>& arguments)>;

    CorvanaMethodDescription(std::string methodSel, std::string jsMethodKey, std::optional<std::vector<int>> attribute,
                             int returnType, Callable callable);

    const std::string& methodSel() const { return m_methodSel; }
    const std::string& jsMethodKey() const { return m_jsMethodKey; }
    // Nothing for a method without arguments.
    const std::optional<std::vector<int>>& attribute() const { return m_attribute; }
    int returnType() const { return m_returnType; }
    int funcArgumentNumber() const;
    const Callable& callable() const { return m_callable; }

private:
    std::string m_methodSel;
    std::string m_jsMethodKey;
    std::optional<std::vector<int>> m_attribute;
    int m_returnType = 0;
    Callable m_callable;
};

// A callable that runs `body` on the target while it lives.
template <class T, class Body>
CorvanaMethodDescription::Callable corvanaCallable(std::weak_ptr<T> target, Body body)
{
    return [target = std::move(target), body = std::move(body)](const std::vector<pf::Value>& arguments)
               -> std::optional<pf::Value> {
        std::shared_ptr<T> strong = target.lock();
        if (!strong)
            return std::nullopt;
        return pf::Value(body(*strong, arguments));
    };
}
