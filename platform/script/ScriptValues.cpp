#include "platform/script/ScriptValues.h"

#include "platform/foundation/Collections.h"

#include <cmath>

namespace pf::script {

namespace {

// Deeper structures are cut off; this also ends reference cycles, which both
// the platform's collections and script objects can form.
constexpr int maxDepth = 64;

void push(duk_context* ctx, const Value& value, int depth)
{
    duk_require_stack(ctx, 3);
    switch (value.type()) {
    case Value::Type::Number: {
        const Number& n = *value.number();
        if (n.type == NumberType::Bool)
            duk_push_boolean(ctx, n.integer != 0);
        else
            duk_push_number(ctx, n.asDouble());
        return;
    }
    case Value::Type::String:
        duk_push_lstring(ctx, value.string()->data(), value.string()->size());
        return;
    case Value::Type::Array:
        if (depth >= maxDepth)
            break;
        duk_push_array(ctx);
        {
            duk_uarridx_t index = 0;
            for (const Value& element : *value.array()) {
                push(ctx, element, depth + 1);
                duk_put_prop_index(ctx, -2, index++);
            }
        }
        return;
    case Value::Type::Dictionary:
        if (depth >= maxDepth)
            break;
        duk_push_object(ctx);
        for (const auto& [key, member] : *value.dictionary()) {
            push(ctx, member, depth + 1);
            duk_put_prop_lstring(ctx, -2, key.data(), key.size());
        }
        return;
    default:
        break;
    }
    duk_push_null(ctx);
}

Value number(double d)
{
    // Whole numbers that a double holds exactly come back as integers, so an
    // id or a count does not turn into "3.0" on the way back.
    if (std::isfinite(d) && std::trunc(d) == d && std::fabs(d) <= 9007199254740992.0)
        return Value(static_cast<long long>(d));
    return Value(d);
}

Value convert(duk_context* ctx, duk_idx_t index, int depth)
{
    duk_require_stack(ctx, 4);
    switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NULL:
        return Value::null();
    case DUK_TYPE_BOOLEAN:
        return Value::boolean(duk_get_boolean(ctx, index));
    case DUK_TYPE_NUMBER:
        return number(duk_get_number(ctx, index));
    case DUK_TYPE_STRING: {
        duk_size_t length = 0;
        const char* text = duk_get_lstring(ctx, index, &length);
        return Value(std::string(text, length));
    }
    case DUK_TYPE_OBJECT:
        break;
    default:
        return {};
    }
    if (duk_is_function(ctx, index) || depth >= maxDepth)
        return {};
    if (duk_is_array(ctx, index)) {
        auto array = std::make_shared<Array>();
        duk_size_t length = duk_get_length(ctx, index);
        for (duk_size_t i = 0; i < length; ++i) {
            duk_get_prop_index(ctx, index, static_cast<duk_uarridx_t>(i));
            Value element = convert(ctx, -1, depth + 1);
            duk_pop(ctx);
            // Like the script's own JSON text, holes and functions read as null.
            array->add(element.isNil() ? Value::null() : std::move(element));
        }
        return Value(array);
    }
    auto dictionary = std::make_shared<Dictionary>();
    duk_enum(ctx, index, DUK_ENUM_OWN_PROPERTIES_ONLY);
    while (duk_next(ctx, -1, 1)) {
        duk_size_t length = 0;
        const char* key = duk_get_lstring(ctx, -2, &length);
        Value member = convert(ctx, -1, depth + 1);
        if (key && !member.isNil())
            dictionary->set(std::string_view(key, length), std::move(member));
        duk_pop_2(ctx);
    }
    duk_pop(ctx);
    return Value(dictionary);
}

}

void pushValue(duk_context* ctx, const Value& value)
{
    push(ctx, value, 0);
}

Value toValue(duk_context* ctx, duk_idx_t index)
{
    return convert(ctx, duk_normalize_index(ctx, index), 0);
}

}
