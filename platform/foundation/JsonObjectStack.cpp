#include "platform/foundation/JsonObjectStack.h"

#include "platform/foundation/Collections.h"

namespace pf {

void JsonObjectStack::start(const char* text, std::size_t members)
{
    m_text = text;
    m_values.clear();
    m_keys.clear();
    m_arena.clear();
    m_values.reserve(members);
    m_keys.reserve(members);
}

Value JsonObjectStack::takeLast()
{
    Value value = std::move(m_values.back());
    m_values.pop_back();
    return value;
}

bool JsonObjectStack::replaceValue(const Object& object, std::string_view name)
{
    for (std::size_t i = object.keyBase; i < m_keys.size(); ++i) {
        if (keyText(m_keys[i]) == name) {
            m_values[object.valueBase + (i - object.keyBase)] = std::move(m_values.back());
            m_values.pop_back();
            return true;
        }
    }
    return false;
}

Value JsonObjectStack::closeArray(std::size_t base)
{
    auto array = Array::create();
    array->reserve(m_values.size() - base);
    for (std::size_t i = base; i < m_values.size(); ++i)
        array->add(std::move(m_values[i]));
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(base), m_values.end());
    return Value(std::move(array));
}

Value JsonObjectStack::closeObject(const Object& object)
{
    auto dictionary = Dictionary::create();
    dictionary->reserve(m_keys.size() - object.keyBase);
    for (std::size_t i = object.keyBase; i < m_keys.size(); ++i)
        dictionary->addAbsent(keyText(m_keys[i]), std::move(m_values[object.valueBase + (i - object.keyBase)]));
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(object.valueBase), m_values.end());
    m_keys.resize(object.keyBase);
    m_arena.resize(object.arenaBase);
    return Value(std::move(dictionary));
}

}
