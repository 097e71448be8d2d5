#include "framework/ui/KRDataOutlet.h"

#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <utility>

bool KRDataOutlet::booleanValue(const pf::Value& value)
{
    // A string's leading-number reading would make "yes" false and "0.0"
    // false; bound flags from servers are read by these exact words instead.
    if (const std::string* text = value.string())
        return !(text->empty() || *text == "false" || *text == "0");
    if (value.isNumber())
        return value.boolValue(); // not zero
    return !value.isNilOrNull();
}

void KRDataOutlet::setStringFormat(std::string format)
{
    m_stringFormat = std::move(format);
    // Split once into literal and key pieces, read the way stringByDataOutlet
    // reads a template: a key runs to the next "}", an unclosed one is dropped.
    m_format.clear();
    Piece literal;
    std::size_t at = 0;
    while (at < m_stringFormat.size()) {
        std::size_t open = m_stringFormat.find('{', at);
        if (open == std::string::npos) {
            literal.text.append(m_stringFormat, at, std::string::npos);
            break;
        }
        literal.text.append(m_stringFormat, at, open - at);
        std::size_t close = m_stringFormat.find('}', open + 1);
        if (close == std::string::npos)
            break;
        if (!literal.text.empty())
            m_format.push_back(std::exchange(literal, Piece{}));
        m_format.push_back({m_stringFormat.substr(open + 1, close - open - 1), true});
        at = close + 1;
    }
    if (!literal.text.empty())
        m_format.push_back(std::move(literal));
}

std::string KRDataOutlet::formatted(const pf::Value& item) const
{
    std::string out;
    for (const Piece& piece : m_format) {
        if (!piece.isKey) {
            out += piece.text;
            continue;
        }
        pf::Value value = dataForKeyPath(item, piece.text);
        if (!value.isNil())
            out += value.description();
    }
    return out;
}

pf::Value KRDataOutlet::valueForItem(const pf::Value& item) const
{
    pf::Value result;
    if (!m_stringKeyPath.empty()) {
        // An absent field gives nil, never the fixed value.
        result = dataForKeyPath(item, m_stringKeyPath);
        if (!result.isNilOrNull() && !result.isString())
            result = result.description();
    } else if (!m_booleanKeyPath.empty()) {
        result = pf::Value::boolean(booleanValue(dataForKeyPath(item, m_booleanKeyPath)));
    } else if (!m_stringFormat.empty()) {
        result = formatted(item);
    } else if (!m_valueKeyPath.empty()) {
        result = dataForKeyPath(item, m_valueKeyPath);
    } else {
        result = m_value;
    }
    return result.isNull() ? pf::Value() : result;
}

void KRDataOutlet::applyDataOutlet(const pf::Value& item)
{
    if (!m_enabledKeyPath.empty() && !booleanValue(dataForKeyPath(item, m_enabledKeyPath)))
        return;
    if (!m_disabledKeyPath.empty() && booleanValue(dataForKeyPath(item, m_disabledKeyPath)))
        return;
    if (!m_views || m_views->empty())
        return;
    pf::Value value = valueForItem(item);
    // A copy: setting a value may run view code that edits the outlet.
    pf::ArrayRef views = m_views;
    for (const pf::Value& entry : *views) {
        pf::ObjectRef view = entry.object();
        if (!view)
            continue;
        if (m_keyPath.empty()) {
            reportFailure(*view, "no key path to set");
            continue;
        }
        if (auto error = view->trySetValueForKeyPath(m_keyPath, value))
            reportFailure(*view, error->description);
    }
}

void KRDataOutlet::reportFailure(const pf::Object& view, const std::string& reason)
{
    if (std::find(m_reportedKeys.begin(), m_reportedKeys.end(), m_keyPath) != m_reportedKeys.end())
        return;
    m_reportedKeys.push_back(m_keyPath);
    pf::log("KRDataOutlet: cannot set \"%s\" on %s: %s", m_keyPath.c_str(), view.description().c_str(),
            reason.c_str());
}

pf::ObjectRef KRDataOutlet::view() const
{
    return m_views ? m_views->last().object() : nullptr;
}

void KRDataOutlet::setView(const pf::ObjectRef& view)
{
    m_views = view ? pf::Array::create({pf::Value(view)}) : pf::Array::create();
}
