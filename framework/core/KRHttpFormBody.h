#pragma once

// The body of every posted form: an ordered list of items (several may share
// a key), encoded on demand as "application/x-www-form-urlencoded" or, as soon
// as one item carries bytes, as "multipart/form-data".
//
// The encoding is exact to the byte, because cache keys are digests of it:
// URL-encoded, every pair is preceded by "&" (the first too), keys are
// written as they are and values escaped with encodeQueryValue; multipart uses
// the boundary "8jej23fkdxxd" unless an item contains that text, in which case
// the first of "8jej23fkdxxd-1", "8jej23fkdxxd-2" ... that no item contains is
// used instead, so that an item can never end the body early.
// Main queue only.

#include "platform/foundation/Object.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KRHttpFormItem {
public:
    explicit KRHttpFormItem(std::string key) : m_key(std::move(key)) {}
    virtual ~KRHttpFormItem() = default;
    const std::string& key() const { return m_key; }
    void setKey(std::string key) { m_key = std::move(key); }

private:
    std::string m_key;
};

class KRHttpFormItemValue final : public KRHttpFormItem {
public:
    KRHttpFormItemValue(std::string key, std::string value) : KRHttpFormItem(std::move(key)), m_value(std::move(value)) {}
    const std::string& value() const { return m_value; }
    void setValue(std::string value) { m_value = std::move(value); }

private:
    std::string m_value;
};

class KRHttpFormItemBytes final : public KRHttpFormItem {
public:
    KRHttpFormItemBytes(std::string key, std::shared_ptr<const pf::Bytes> bytes, std::string contentType)
        : KRHttpFormItem(std::move(key)), m_bytesData(std::move(bytes)), m_contentType(std::move(contentType)) {}
    const std::shared_ptr<const pf::Bytes>& bytesData() const { return m_bytesData; }
    const std::string& contentType() const { return m_contentType; }

private:
    std::shared_ptr<const pf::Bytes> m_bytesData;
    std::string m_contentType;
};

using KRHttpFormItemRef = std::shared_ptr<KRHttpFormItem>;

class KRHttpFormBody final : public pf::Object {
public:
    static constexpr const char* boundary = "8jej23fkdxxd";

    void addFormItem(KRHttpFormItemRef item);
    // Drops every item with the new item's key, then appends it at the end.
    void setFormItem(KRHttpFormItemRef item);
    void addItemValue(std::string value, std::string key);
    void setItemValue(std::string value, std::string key);
    void addItemBytes(std::shared_ptr<const pf::Bytes> bytes, std::string contentType, std::string key);
    void setItemBytes(std::shared_ptr<const pf::Bytes> bytes, std::string contentType, std::string key);

    // Encodes the items and sets contentType() to match.
    pf::Bytes bytesBody();
    // Nothing until bytesBody() has run.
    const std::optional<std::string>& contentType() const { return m_contentType; }
    void setContentType(std::optional<std::string> contentType) { m_contentType = std::move(contentType); }
    const std::vector<KRHttpFormItemRef>& formItems() const { return m_formItems; }
    // The first value item's value for the key.
    std::optional<std::string> itemValueForKey(std::string_view key) const;

private:
    std::vector<KRHttpFormItemRef> m_formItems;
    std::optional<std::string> m_contentType;
};
