#include "framework/db/KRSqliteBinding.h"

#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Object.h"

#include <sqlite3.h>

#include <cstdio>

namespace {

int bindValue(sqlite3_stmt* stmt, int position, const pf::Value& value, KRBindLifetime lifetime,
              KRBoundValues& holder)
{
    sqlite3_destructor_type keep = lifetime == KRBindLifetime::Static ? SQLITE_STATIC : SQLITE_TRANSIENT;
    switch (value.type()) {
    case pf::Value::Type::Nil:
    case pf::Value::Type::Null:
        return sqlite3_bind_null(stmt, position);
    case pf::Value::Type::Data: {
        auto bytes = value.data();
        // An empty blob binds as an empty blob, not as NULL.
        if (!bytes || bytes->empty())
            return sqlite3_bind_zeroblob(stmt, position, 0);
        return sqlite3_bind_blob64(stmt, position, bytes->data(), bytes->size(), keep);
    }
    case pf::Value::Type::Date:
        return sqlite3_bind_double(stmt, position, value.date()->seconds);
    case pf::Value::Type::Number: {
        const pf::Number n = value.number()->withoutDecimal(); // columns hold integers and reals
        switch (n.type) {
        case pf::NumberType::Bool:
            return sqlite3_bind_int(stmt, position, n.integer != 0 ? 1 : 0);
        case pf::NumberType::Int:
            return sqlite3_bind_int(stmt, position, static_cast<int>(n.integer));
        case pf::NumberType::Long:
        case pf::NumberType::LongLong:
        case pf::NumberType::UnsignedLongLong: // the unsigned value's bits
            return sqlite3_bind_int64(stmt, position, static_cast<sqlite3_int64>(n.integer));
        case pf::NumberType::Float:
            return sqlite3_bind_double(stmt, position, static_cast<double>(static_cast<float>(n.real)));
        case pf::NumberType::Double:
            return sqlite3_bind_double(stmt, position, n.real);
        case pf::NumberType::Decimal: break; // made an integer or a double above
        }
        return sqlite3_bind_null(stmt, position);
    }
    case pf::Value::Type::String: {
        const std::string& s = *value.string();
        return sqlite3_bind_text64(stmt, position, s.data(), s.size(), keep, SQLITE_UTF8);
    }
    case pf::Value::Type::Array:
    case pf::Value::Type::Dictionary:
    case pf::Value::Type::Object: {
        std::optional<std::string> json = encodeJSONValue(value);
        if (!json)
            return sqlite3_bind_null(stmt, position);
        holder.texts.push_back(std::move(*json));
        const std::string& s = holder.texts.back();
        return sqlite3_bind_blob64(stmt, position, s.data(), s.size(), keep);
    }
    }
    return sqlite3_bind_null(stmt, position);
}

KRBindPlan::Read readOf(const pf::Property& property)
{
    using Read = KRBindPlan::Read;
    switch (property.type) {
    case pf::PropertyType::Int: return property.getInteger ? Read::Int : Read::Value;
    case pf::PropertyType::Long:
    case pf::PropertyType::LongLong: return property.getInteger ? Read::Int64 : Read::Value;
    case pf::PropertyType::Bool: return property.getInteger ? Read::Bool : Read::Value;
    case pf::PropertyType::Float: return property.getReal ? Read::Float : Read::Value;
    case pf::PropertyType::Double: return property.getReal ? Read::Real : Read::Value;
    case pf::PropertyType::String: return property.getText ? Read::Text : Read::Value;
    default: return Read::Value;
    }
}

}

KRBindPlan makeBindPlan(sqlite3_stmt* stmt)
{
    KRBindPlan plan;
    const int count = sqlite3_bind_parameter_count(stmt);
    plan.keyPaths.reserve(static_cast<std::size_t>(count));
    for (int position = 1; position <= count; ++position) {
        const char* name = sqlite3_bind_parameter_name(stmt, position);
        if (name && name[0]) {
            plan.keyPaths.emplace_back(name + 1);
        } else {
            char unnamed[24];
            std::snprintf(unnamed, sizeof unnamed, "@%d", position - 1);
            plan.keyPaths.emplace_back(unnamed);
        }
        plan.plain.push_back(plan.keyPaths.back().find('.') == std::string::npos);
    }
    return plan;
}

namespace {

void planForClass(KRBindPlan& plan, const pf::Class* objectClass)
{
    const std::size_t count = plan.keyPaths.size();
    plan.properties.assign(count, nullptr);
    plan.reads.assign(count, KRBindPlan::Read::Value);
    plan.typedOnly = true;
    for (std::size_t i = 0; i < count; ++i) {
        if (plan.plain[i]) {
            plan.properties[i] = objectClass->property(plan.keyPaths[i]);
            if (plan.properties[i])
                plan.reads[i] = readOf(*plan.properties[i]);
        }
        plan.typedOnly = plan.typedOnly && plan.reads[i] != KRBindPlan::Read::Value;
    }
    plan.objectClass = objectClass;
}

// Binds a number or text of a plain C++ type as the rules for its value
// would bind it, without making the value. Texts are read into `holder`,
// which has room for every parameter, so a bound pointer stays put.
// Inlined: a call of its own per parameter cost more than the bind.
[[gnu::always_inline]] inline int bindTyped(sqlite3_stmt* stmt, int position, const pf::Object& object,
                                            const pf::Property& property, KRBindPlan::Read read,
                                            sqlite3_destructor_type keep, KRBoundValues& holder)
{
    switch (read) {
    case KRBindPlan::Read::Int:
        return sqlite3_bind_int(stmt, position, static_cast<int>(property.getInteger(object)));
    case KRBindPlan::Read::Int64:
        return sqlite3_bind_int64(stmt, position, static_cast<sqlite3_int64>(property.getInteger(object)));
    case KRBindPlan::Read::Bool:
        return sqlite3_bind_int(stmt, position, property.getInteger(object) != 0 ? 1 : 0);
    case KRBindPlan::Read::Real:
        return sqlite3_bind_double(stmt, position, property.getReal(object));
    case KRBindPlan::Read::Float:
        return sqlite3_bind_double(stmt, position, static_cast<double>(static_cast<float>(property.getReal(object))));
    case KRBindPlan::Read::Text: {
        std::string& text = holder.texts.emplace_back();
        if (property.getText(object, text))
            return sqlite3_bind_text64(stmt, position, text.data(), text.size(), keep, SQLITE_UTF8);
        return sqlite3_bind_null(stmt, position);
    }
    case KRBindPlan::Read::Value:
        break;
    }
    return SQLITE_MISUSE;
}

}

int bindStatementValues(sqlite3_stmt* stmt, const pf::Value& data, KRBindLifetime lifetime, KRBoundValues& holder,
                        KRBindPlan& plan)
{
    const std::size_t count = plan.keyPaths.size();
    holder.values.clear();
    holder.texts.clear();
    // Bound pointers point into these vectors: they must never reallocate.
    holder.texts.reserve(count);
    const pf::Object* object = data.objectPointer();
    const pf::Class* objectClass = object ? object->objectClass() : nullptr;
    if (objectClass && objectClass != plan.objectClass)
        planForClass(plan, objectClass);
    sqlite3_destructor_type keep = lifetime == KRBindLifetime::Static ? SQLITE_STATIC : SQLITE_TRANSIENT;
    if (objectClass && plan.typedOnly) {
        // The rows of a record: one short loop, nothing else on its path.
        for (std::size_t i = 0; i < count; ++i) {
            int rc = bindTyped(stmt, static_cast<int>(i) + 1, *object, *plan.properties[i], plan.reads[i], keep, holder);
            if (rc != SQLITE_OK)
                return rc;
        }
        return SQLITE_OK;
    }
    holder.values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const int position = static_cast<int>(i) + 1;
        if (objectClass && plan.reads[i] != KRBindPlan::Read::Value) {
            int rc = bindTyped(stmt, position, *object, *plan.properties[i], plan.reads[i], keep, holder);
            if (rc != SQLITE_OK)
                return rc;
            continue;
        }
        // Made in place, never assigned: moving a value costs as much as
        // binding a number.
        pf::Value value = [&]() -> pf::Value {
            if (data.isNil())
                return {};
            if (objectClass && plan.plain[i]) {
                // A plain key on an object reads its property straight from the class.
                const pf::Property* property = plan.properties[i];
                return property && property->get ? property->get(*object) : pf::Value();
            }
            return dataForKeyPath(data, plan.keyPaths[i]);
        }();
        // Only what is bound by pointer (texts, data) has to outlive the call.
        const pf::Value* bound = &value;
        if (value.isString() || value.isData()) {
            holder.values.push_back(std::move(value));
            bound = &holder.values.back();
        }
        int rc = bindValue(stmt, position, *bound, lifetime, holder);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

int bindStatementValues(sqlite3_stmt* stmt, const pf::Value& data, KRBindLifetime lifetime, KRBoundValues& holder)
{
    KRBindPlan plan = makeBindPlan(stmt);
    return bindStatementValues(stmt, data, lifetime, holder, plan);
}

std::optional<std::string> encodeJSONValue(const pf::Value& value)
{
    return KRJSON::encodeObject(value);
}

pf::Value decodeJSONValue(std::string_view text)
{
    pf::Value value = KRJSON::decodeText(std::string(text));
    if (!value.isNil())
        return value;
    return pf::Value(std::string(text));
}
