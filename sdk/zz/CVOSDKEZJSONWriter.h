#pragma once

// The SDK's JSON writer: dictionaries, arrays, strings, numbers (Booleans as
// true and false, integers in decimal, doubles in their shortest exact form,
// decimals with every digit in plain notation, so a parsed number goes out
// as the number its text was: "1.5E3" as 1500), null, and objects that offer
// a JSON proxy. Strings are escaped only where JSON requires it (the slash
// stays as it is). With humanReadable every member starts a new line
// indented two blanks per level; with sortKeys dictionary keys go out in
// byte order, otherwise in the dictionary's order.
//
// Failures answer std::nullopt and leave their errors in the trace: code 1
// for a value JSON cannot hold (data, dates, objects without a proxy, NaN and
// the infinities), 4 for a top level that is not a container, 7 for nesting.
// One thread at a time.

#include "platform/foundation/Value.h"
#include "sdk/zz/CVOSDKEZJSONBase.h"

#include <optional>
#include <string>

// An object that stands in for itself in JSON with a plain value.
class ICVOSDKEZJSONProxy {
public:
    virtual ~ICVOSDKEZJSONProxy() = default;
    virtual pf::Value proxyForJson() const = 0;
};

class ICVOSDKEZJSONWriter {
public:
    virtual ~ICVOSDKEZJSONWriter() = default;
    virtual std::optional<std::string> stringWithObject(const pf::Value& object) = 0;
    virtual bool humanReadable() const = 0;
    virtual void setHumanReadable(bool humanReadable) = 0;
    virtual bool sortKeys() const = 0;
    virtual void setSortKeys(bool sortKeys) = 0;
};

class CVOSDKEZJSONWriter : public CVOSDKEZJSONBase, public ICVOSDKEZJSONWriter {
public:
    // A dictionary or array (or an object whose proxy is one).
    std::optional<std::string> stringWithObject(const pf::Value& object) override;
    // Any writable value.
    std::optional<std::string> stringWithFragment(const pf::Value& value);

    bool humanReadable() const override { return m_humanReadable.load(std::memory_order_relaxed); }
    void setHumanReadable(bool humanReadable) override { m_humanReadable.store(humanReadable, std::memory_order_relaxed); }
    bool sortKeys() const override { return m_sortKeys.load(std::memory_order_relaxed); }
    void setSortKeys(bool sortKeys) override { m_sortKeys.store(sortKeys, std::memory_order_relaxed); }

private:
    bool appendValue(const pf::Value& value, std::string& out);
    bool appendDictionary(const pf::Dictionary& dictionary, std::string& out);
    bool appendArray(const pf::Array& array, std::string& out);
    bool appendNumber(const pf::Number& number, std::string& out);
    void appendIndent(std::string& out) const;
    bool unsupported(const pf::Value& value);

    std::atomic<bool> m_humanReadable { false };
    std::atomic<bool> m_sortKeys { false };
    // Read once per call, so a setter from another thread cannot change the
    // layout half-way through a document.
    bool m_human = false;
    bool m_sort = false;
};
