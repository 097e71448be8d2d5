#include "sdk/zz/CVOSDKEZJSONBase.h"

void CVOSDKEZJSONBase::addErrorWithCode(long long code, std::string description)
{
    auto error = std::make_shared<CVOSDKEZJSONError>();
    error->domain = kErrorDomain;
    error->code = code;
    error->description = std::move(description);
    error->underlying = lastError();
    m_errorTrace.push_back(std::move(error));
}

bool CVOSDKEZJSONBase::enterLevel()
{
    unsigned limit = maxDepth();
    if (limit == 0 || limit > kHardDepthLimit)
        limit = kHardDepthLimit;
    if (m_depth + 1 > limit) {
        addErrorWithCode(7, "Nested too deep");
        return false;
    }
    ++m_depth;
    return true;
}
