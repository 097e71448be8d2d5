#pragma once

// One parser and one writer behind a single object. On a failure the facade's
// own trace becomes a copy of the failing component's trace; the error-slot
// forms also hand back the last error of it (which leads through the rest).
// One thread at a time.

#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"

class CVOSDKEZJSON : public CVOSDKEZJSONBase, public ICVOSDKEZJSONParser, public ICVOSDKEZJSONWriter {
public:
    CVOSDKEZJSON();

    pf::Value objectWithString(std::optional<std::string_view> text) override;
    std::optional<std::string> stringWithObject(const pf::Value& object) override;

    // allowScalar picks the fragment forms; error (when given) receives the
    // last error of a failure.
    pf::Value objectWithString(std::optional<std::string_view> text, bool allowScalar, CVOSDKEZJSONErrorRef* error);
    std::optional<std::string> stringWithObject(const pf::Value& object, bool allowScalar, CVOSDKEZJSONErrorRef* error);
    pf::Value fragmentWithString(std::optional<std::string_view> text, CVOSDKEZJSONErrorRef* error);
    pf::Value objectWithString(std::optional<std::string_view> text, CVOSDKEZJSONErrorRef* error);
    std::optional<std::string> stringWithFragment(const pf::Value& value, CVOSDKEZJSONErrorRef* error);
    std::optional<std::string> stringWithObject(const pf::Value& object, CVOSDKEZJSONErrorRef* error);

    // Read from the parser, set on both.
    void setMaxDepth(unsigned maxDepth) override;
    bool humanReadable() const override { return m_jsonWriter.humanReadable(); }
    void setHumanReadable(bool humanReadable) override { m_jsonWriter.setHumanReadable(humanReadable); }
    bool sortKeys() const override { return m_jsonWriter.sortKeys(); }
    void setSortKeys(bool sortKeys) override { m_jsonWriter.setSortKeys(sortKeys); }

    CVOSDKEZJSONParser& jsonParser() { return m_jsonParser; }
    CVOSDKEZJSONWriter& jsonWriter() { return m_jsonWriter; }

private:
    void takeTrace(const CVOSDKEZJSONBase& component, CVOSDKEZJSONErrorRef* error);

    CVOSDKEZJSONParser m_jsonParser;
    CVOSDKEZJSONWriter m_jsonWriter;
};
