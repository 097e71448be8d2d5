#include "framework/dom/KRDOMActionValues.h"

#include "framework/dom/KRDOMElement.h"

const std::string& krDOMActionName(const KRDOMElement& element)
{
    static const std::string empty;
    for (const auto& [name, value] : element.attributes().entries()) {
        if (name == "action-name")
            return value;
    }
    return empty;
}

const pf::Value& krDOMUserInfo(const KRDOMElement& element, pf::Value& cache)
{
    auto text = element.attributeValueForKey("user-info");
    cache = text ? pf::Value(std::string(*text)) : pf::Value();
    return cache;
}

void krDOMSetUserInfo(KRDOMElement& element, const pf::Value& userInfo)
{
    if (userInfo.isNil())
        element.removeAttributeForKey("user-info");
    else
        element.setAttributeValue(userInfo.isString() ? userInfo.stringOr() : userInfo.description(), "user-info");
}
