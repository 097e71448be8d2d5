#pragma once

// A list described by a URL template instead of code: KRURLService expands
// the template for the requested page, adds the query values, sends one GET
// and reads a server error out of the answer by key path. Main queue only.

#include "framework/core/IKRTask.h"

#include <optional>
#include <string>

namespace pf {
class Class;
}

namespace proto {
const pf::Protocol* IKRURLDownlinkTask();
}

class IKRURLDownlinkTask : public virtual IKRDownlinkPageTask {
public:
    // The template; nothing: the service's setting under urlKey().
    virtual const std::optional<std::string>& url() const = 0;
    virtual const std::optional<std::string>& urlKey() const = 0;
    // Key path of a numeric error code in the answer; nothing: never an error.
    virtual const std::optional<std::string>& errorCodeKeyPath() const = 0;
    virtual const std::optional<std::string>& errorKeyPath() const = 0;
    // Appended to the URL as its query.
    virtual pf::DictionaryRef queryValues() = 0;
    // The HTTP task class to make (a KRHttpTask or a subclass); null: KRHttpTask.
    virtual const pf::Class* httpClass() const = 0;
    // The value a "{key.path}" placeholder of the template is filled with.
    virtual pf::Value templateValue(std::string_view keyPath) = 0;
};
