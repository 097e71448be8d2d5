#include "sdk/zz/CVOSDKEZJSON.h"

CVOSDKEZJSON::CVOSDKEZJSON()
{
    setMaxDepth(512);
}

void CVOSDKEZJSON::setMaxDepth(unsigned maxDepth)
{
    CVOSDKEZJSONBase::setMaxDepth(maxDepth);
    m_jsonParser.setMaxDepth(maxDepth);
    m_jsonWriter.setMaxDepth(maxDepth);
}

void CVOSDKEZJSON::takeTrace(const CVOSDKEZJSONBase& component, CVOSDKEZJSONErrorRef* error)
{
    setErrorTrace(component.errorTrace());
    if (error)
        *error = lastError();
}

pf::Value CVOSDKEZJSON::objectWithString(std::optional<std::string_view> text)
{
    return objectWithString(text, false, nullptr);
}

std::optional<std::string> CVOSDKEZJSON::stringWithObject(const pf::Value& object)
{
    return stringWithObject(object, false, nullptr);
}

pf::Value CVOSDKEZJSON::objectWithString(std::optional<std::string_view> text, bool allowScalar,
                                         CVOSDKEZJSONErrorRef* error)
{
    pf::Value value = allowScalar ? m_jsonParser.fragmentWithString(text) : m_jsonParser.objectWithString(text);
    if (value.isNil())
        takeTrace(m_jsonParser, error);
    return value;
}

std::optional<std::string> CVOSDKEZJSON::stringWithObject(const pf::Value& object, bool allowScalar,
                                                          CVOSDKEZJSONErrorRef* error)
{
    auto text = allowScalar ? m_jsonWriter.stringWithFragment(object) : m_jsonWriter.stringWithObject(object);
    if (!text)
        takeTrace(m_jsonWriter, error);
    return text;
}

pf::Value CVOSDKEZJSON::fragmentWithString(std::optional<std::string_view> text, CVOSDKEZJSONErrorRef* error)
{
    return objectWithString(text, true, error);
}

pf::Value CVOSDKEZJSON::objectWithString(std::optional<std::string_view> text, CVOSDKEZJSONErrorRef* error)
{
    return objectWithString(text, false, error);
}

std::optional<std::string> CVOSDKEZJSON::stringWithFragment(const pf::Value& value, CVOSDKEZJSONErrorRef* error)
{
    return stringWithObject(value, true, error);
}

std::optional<std::string> CVOSDKEZJSON::stringWithObject(const pf::Value& object, CVOSDKEZJSONErrorRef* error)
{
    return stringWithObject(object, false, error);
}
