#include "platform/foundation/ValueTypeName.h"

#include "platform/foundation/Value.h"

namespace pf {

const char* valueTypeName(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Nil: return "nil";
    case Value::Type::Null: return "Null";
    case Value::Type::Number: return "Number";
    case Value::Type::String: return "String";
    case Value::Type::Data: return "Data";
    case Value::Type::Date: return "Date";
    case Value::Type::Array: return "Array";
    case Value::Type::Dictionary: return "Dictionary";
    case Value::Type::Object: return "Object";
    }
    return "?";
}

}
