#include "framework/core/KRHttpFormBody.h"

#include "framework/core/QueryValue.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <typeinfo>

namespace {

void append(pf::Bytes& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

// The item classes are final: their type is compared, not searched for.
template<class Kind>
bool isA(const KRHttpFormItem& item)
{
    return typeid(item) == typeid(Kind);
}

// As encodeQueryValue, appended in place.
void appendQueryValue(pf::Bytes& out, std::string_view value)
{
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : value) {
        auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out.push_back('+');
        } else if (c == '.' || c == '-' || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                   (c >= '0' && c <= '9')) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(static_cast<std::uint8_t>(hex[c >> 4]));
            out.push_back(static_cast<std::uint8_t>(hex[c & 15]));
        }
    }
}

bool contains(std::string_view haystack, std::string_view needle)
{
    return haystack.find(needle) != std::string_view::npos;
}

bool itemContains(const KRHttpFormItem& item, std::string_view text)
{
    if (contains(item.key(), text))
        return true;
    if (auto* value = dynamic_cast<const KRHttpFormItemValue*>(&item))
        return contains(value->value(), text);
    if (auto* bytes = dynamic_cast<const KRHttpFormItemBytes*>(&item)) {
        if (contains(bytes->contentType(), text))
            return true;
        if (const auto& data = bytes->bytesData())
            return std::search(data->begin(), data->end(), text.begin(), text.end()) != data->end();
    }
    return false;
}

}

void KRHttpFormBody::addFormItem(KRHttpFormItemRef item)
{
    if (item)
        m_formItems.push_back(std::move(item));
}

void KRHttpFormBody::setFormItem(KRHttpFormItemRef item)
{
    if (!item)
        return;
    std::erase_if(m_formItems, [&](const KRHttpFormItemRef& existing) { return existing->key() == item->key(); });
    m_formItems.push_back(std::move(item));
}

void KRHttpFormBody::addItemValue(std::string value, std::string key)
{
    addFormItem(std::make_shared<KRHttpFormItemValue>(std::move(key), std::move(value)));
}

void KRHttpFormBody::setItemValue(std::string value, std::string key)
{
    setFormItem(std::make_shared<KRHttpFormItemValue>(std::move(key), std::move(value)));
}

void KRHttpFormBody::addItemBytes(std::shared_ptr<const pf::Bytes> bytes, std::string contentType, std::string key)
{
    addFormItem(std::make_shared<KRHttpFormItemBytes>(std::move(key), std::move(bytes), std::move(contentType)));
}

void KRHttpFormBody::setItemBytes(std::shared_ptr<const pf::Bytes> bytes, std::string contentType, std::string key)
{
    setFormItem(std::make_shared<KRHttpFormItemBytes>(std::move(key), std::move(bytes), std::move(contentType)));
}

std::optional<std::string> KRHttpFormBody::itemValueForKey(std::string_view key) const
{
    for (const auto& item : m_formItems) {
        if (item->key() != key)
            continue;
        if (auto* value = dynamic_cast<const KRHttpFormItemValue*>(item.get()))
            return value->value();
    }
    return std::nullopt;
}

pf::Bytes KRHttpFormBody::bytesBody()
{
    pf::Bytes out;
    bool multipart = std::any_of(m_formItems.begin(), m_formItems.end(), [](const KRHttpFormItemRef& item) {
        return isA<KRHttpFormItemBytes>(*item);
    });

    if (!multipart) {
        m_contentType = "application/x-www-form-urlencoded";
        // One buffer sized for the worst case, every value encoded into it.
        std::size_t size = 0;
        for (const auto& item : m_formItems) {
            if (isA<KRHttpFormItemValue>(*item))
                size += 2 + item->key().size() + 3 * static_cast<const KRHttpFormItemValue&>(*item).value().size();
        }
        out.reserve(size);
        for (const auto& item : m_formItems) {
            if (!isA<KRHttpFormItemValue>(*item))
                continue;
            out.push_back('&');
            append(out, item->key());
            out.push_back('=');
            appendQueryValue(out, static_cast<const KRHttpFormItemValue&>(*item).value());
        }
        return out;
    }

    std::string chosen = boundary;
    for (int attempt = 1; std::any_of(m_formItems.begin(), m_formItems.end(),
                                      [&](const KRHttpFormItemRef& item) { return itemContains(*item, chosen); });
         ++attempt)
        chosen = std::string(boundary) + "-" + std::to_string(attempt);

    m_contentType = "multipart/form-data; boundary=" + chosen;
    std::string line = "--" + chosen;
    for (const auto& item : m_formItems) {
        if (auto* bytes = dynamic_cast<const KRHttpFormItemBytes*>(item.get())) {
            append(out, line);
            append(out, "\r\nContent-Disposition: form-data; name=\"");
            append(out, bytes->key());
            append(out, "\"; filename=\"");
            append(out, bytes->key());
            append(out, "\"\r\nContent-Type: ");
            append(out, bytes->contentType());
            append(out, "\r\nContent-Transfer-Encoding: binary\r\n\r\n");
            if (const auto& data = bytes->bytesData())
                out.insert(out.end(), data->begin(), data->end());
            append(out, "\r\n");
        } else if (auto* value = dynamic_cast<const KRHttpFormItemValue*>(item.get())) {
            append(out, line);
            append(out, "\r\nContent-Disposition: form-data; name=\"");
            append(out, value->key());
            append(out, "\"\r\n\r\n");
            append(out, value->value());
            append(out, "\r\n");
        }
    }
    append(out, line);
    append(out, "--");
    return out;
}
