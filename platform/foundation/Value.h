#pragma once

// The dynamic value that stands for "any object" data: what JSON decodes to,
// what property lists hold, what key paths read and what records bind from.
//
// Strings are stored as UTF-8; length() and the index helpers in Text.h count
// UTF-16 units, because the rest of the system measures text that way. Arrays,
// dictionaries and objects are reference types: copying a Value shares them.
// Data is shared and immutable. Numbers keep the type they were made with,
// since binding and encoding decide by it later.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace pf {

// The type a number was made with; the letters are the codes that binding
// and encoding tables use: Bool 'c', Int 'i', Long 'l', LongLong 'q',
// UnsignedLongLong 'Q', Float 'f', Double 'd'. Decimal (Decimal.h) answers
// 'd' too, as the platform's decimal numbers do.
enum class NumberType : std::uint8_t { Bool, Int, Long, LongLong, UnsignedLongLong, Float, Double, Decimal };
char numberTypeCode(NumberType type);
// `value` converted toward zero, saturating at the limits; NaN gives 0
// (out-of-range conversions are undefined in C++).
long long saturatedLongLong(double value);

// A decimal's significand, low word first.
struct DecimalSignificand {
    std::uint64_t low;
    std::uint64_t high;
};

struct Number {
    NumberType type = NumberType::LongLong;
    // A decimal's sign and power of ten; the other types leave them alone.
    bool negative = false;
    std::int32_t exponent = 0;
    union {
        long long integer;
        double real;
        DecimalSignificand significand;
    };
    Number() : integer(0) {}
    bool isReal() const { return type == NumberType::Float || type == NumberType::Double; }
    bool isDecimal() const { return type == NumberType::Decimal; }
    // Whether the number is a whole one that the integer types hold (up to
    // 2^64 - 1): any integer type, and a decimal of such a value.
    bool isInteger() const;
    long long asLongLong() const;
    double asDouble() const;
    // For stores without decimals: a decimal as a LongLong (UnsignedLongLong
    // past the signed range) when isInteger(), else as a Double; any other
    // number as it is.
    Number withoutDecimal() const;
    bool operator==(const Number& other) const;
};
// Decimals must not widen every value: a string is the largest member.
static_assert(sizeof(Number) <= sizeof(std::string));

// Seconds since 1970-01-01 00:00:00 UTC.
struct Date {
    double seconds = 0;
    static Date now();
    bool operator==(const Date&) const = default;
};

class Value {
public:
    enum class Type : std::uint8_t { Nil, Null, Number, String, Data, Date, Array, Dictionary, Object };

    Value() = default; // nil
    static Value null();
    static Value boolean(bool b);
    static Value number(NumberType type, long long integer);
    static Value number(NumberType type, double real);
    static Value unsignedNumber(unsigned long long value);
    // Any number as it is, a decimal included.
    static Value number(const Number& n);
    static Value data(Bytes bytes);
    static Value data(std::shared_ptr<const Bytes> bytes);
    static Value date(Date d);

    Value(bool b) : Value(boolean(b)) {}
    Value(int i);
    Value(long i);
    Value(long long i);
    Value(float f);
    Value(double d);
    Value(const char* s);
    Value(std::string s);
    Value(std::string_view s) : Value(std::string(s)) {}
    Value(Date d) : Value(date(d)) {}
    Value(ArrayRef a);
    Value(DictionaryRef d);
    Value(ObjectRef o);
    // Any object. The collections are ruled out first, without asking about
    // their bases, because they may be only declared where this is used.
    template <class T, class = std::enable_if_t<std::conjunction_v<std::negation<std::is_same<T, Array>>,
                                                                   std::negation<std::is_same<T, Dictionary>>,
                                                                   std::is_base_of<Object, T>>>>
    Value(std::shared_ptr<T> o) : Value(ObjectRef(std::move(o))) {}

    Type type() const { return static_cast<Type>(m_storage.index()); }
    bool isNil() const { return type() == Type::Nil; }
    bool isNull() const { return type() == Type::Null; }
    bool isNilOrNull() const { return isNil() || isNull(); }
    bool isNumber() const { return type() == Type::Number; }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isObject() const { return type() == Type::Object; }
    explicit operator bool() const { return !isNil(); }

    // Typed views: null (nullptr) when the value is of another type.
    const std::string* string() const { return std::get_if<std::string>(&m_storage); }
    const Number* number() const { return std::get_if<Number>(&m_storage); }
    std::shared_ptr<const Bytes> data() const;
    std::optional<Date> date() const;
    ArrayRef array() const;
    DictionaryRef dictionary() const;
    ObjectRef object() const;
    // The object without taking a reference: valid while this value holds it.
    const Object* objectPointer() const
    {
        auto p = std::get_if<ObjectRef>(&m_storage);
        return p ? p->get() : nullptr;
    }
    // The collections the same way, for reads that take no reference.
    const Array* arrayPointer() const
    {
        auto p = std::get_if<ArrayRef>(&m_storage);
        return p ? p->get() : nullptr;
    }
    const Dictionary* dictionaryPointer() const
    {
        auto p = std::get_if<DictionaryRef>(&m_storage);
        return p ? p->get() : nullptr;
    }
    template <class T> std::shared_ptr<T> objectAs() const { return std::dynamic_pointer_cast<T>(object()); }

    // Accessors in the manner of the platform's number and string objects:
    // numbers convert, strings are parsed from their leading text, null and
    // everything else answer zero, NO, nil.
    std::optional<std::string> stringValue() const;
    std::string stringOr(std::string_view fallback = {}) const;
    int intValue() const;
    long longValue() const;
    long long longLongValue() const;
    float floatValue() const;
    double doubleValue() const;
    bool boolValue() const;
    // UTF-16 length of a string, byte count of data, element count of a
    // collection; 0 otherwise.
    std::size_t length() const;

    // The text "%@" gives: strings as they are, numbers in their shortest
    // form, collections in the property-list style, nil as "(null)".
    std::string description() const;

    // Equal by content for plain values and collections, by identity for objects.
    bool operator==(const Value& other) const;

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    using Storage = std::variant<std::monostate, NullTag, Number, std::string, std::shared_ptr<const Bytes>, Date,
                                 ArrayRef, DictionaryRef, ObjectRef>;
    Storage m_storage;
};

}
