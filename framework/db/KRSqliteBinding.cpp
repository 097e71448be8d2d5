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
        const pf::Number& n = *value.number();
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

int bindStatementValues(sqlite3_stmt* stmt, const pf::Value& data, KRBindLifetime lifetime, KRBoundValues& holder,
                        KRBindPlan& plan)
{
    const std::size_t count = plan.keyPaths.size();
    holder.values.clear();
    holder.texts.clear();
    // Bound pointers point into these vectors: they must never reallocate.
    holder.values.reserve(count);
    holder.texts.reserve(count);
    const pf::Object* object = data.objectPointer();
    const pf::Class* objectClass = object ? object->objectClass() : nullptr;
    if (objectClass && objectClass != plan.objectClass) {
        plan.properties.assign(count, nullptr);
        plan.reads.assign(count, KRBindPlan::Read::Value);
        for (std::size_t i = 0; i < count; ++i) {
            if (plan.plain[i]) {
                plan.properties[i] = objectClass->property(plan.keyPaths[i]);
                if (plan.properties[i])
                    plan.reads[i] = readOf(*plan.properties[i]);
            }
        }
        plan.objectClass = objectClass;
    }
    sqlite3_destructor_type keep = lifetime == KRBindLifetime::Static ? SQLITE_STATIC : SQLITE_TRANSIENT;
    for (std::size_t i = 0; i < count; ++i) {
        const int position = static_cast<int>(i) + 1;
        if (objectClass && plan.reads[i] != KRBindPlan::Read::Value) {
            // Numbers and texts of a plain C++ type are bound as the rules
            // for their values would bind them, without making the value.
            const pf::Property& property = *plan.properties[i];
            int rc = SQLITE_OK;
            switch (plan.reads[i]) {
            case KRBindPlan::Read::Int:
                rc = sqlite3_bind_int(stmt, position, static_cast<int>(property.getInteger(*object)));
                break;
            case KRBindPlan::Read::Int64:
                rc = sqlite3_bind_int64(stmt, position, static_cast<sqlite3_int64>(property.getInteger(*object)));
                break;
            case KRBindPlan::Read::Bool:
                rc = sqlite3_bind_int(stmt, position, property.getInteger(*object) != 0 ? 1 : 0);
                break;
            case KRBindPlan::Read::Real:
                rc = sqlite3_bind_double(stmt, position, property.getReal(*object));
                break;
            case KRBindPlan::Read::Float:
                rc = sqlite3_bind_double(stmt, position, static_cast<double>(static_cast<float>(property.getReal(*object))));
                break;
            case KRBindPlan::Read::Text: {
                // Never reallocated (room for every parameter was made
                // above), so the bound pointer stays put.
                std::string& text = holder.texts.emplace_back();
                if (property.getText(*object, text))
                    rc = sqlite3_bind_text64(stmt, position, text.data(), text.size(), keep, SQLITE_UTF8);
                else
                    rc = sqlite3_bind_null(stmt, position);
                break;
            }
            case KRBindPlan::Read::Value:
                break;
            }
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
