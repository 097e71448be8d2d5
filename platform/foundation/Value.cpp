#include "platform/foundation/Value.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <chrono>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace pf {

// A decimal fits where a string does, so a value is no larger for it.
static_assert(sizeof(Value) == sizeof(std::string) + sizeof(void*));

char numberTypeCode(NumberType type)
{
    switch (type) {
    case NumberType::Bool: return 'c';
    case NumberType::Int: return 'i';
    case NumberType::Long: return 'l';
    case NumberType::LongLong: return 'q';
    case NumberType::UnsignedLongLong: return 'Q';
    case NumberType::Float: return 'f';
    case NumberType::Double: return 'd';
    case NumberType::Decimal: return 'd';
    }
    return 'q';
}

long long saturatedLongLong(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exact as a double; everything below it converts.
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<long long>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

bool Number::isInteger() const
{
    return isDecimal() ? decimalIsInteger(*this) : !isReal();
}

long long Number::asLongLong() const
{
    if (isDecimal())
        return decimalToLongLong(*this);
    return isReal() ? saturatedLongLong(real) : integer;
}

double Number::asDouble() const
{
    if (isDecimal())
        return decimalToDouble(*this);
    if (isReal())
        return real;
    if (type == NumberType::UnsignedLongLong)
        return static_cast<double>(static_cast<unsigned long long>(integer));
    return static_cast<double>(integer);
}

Number Number::withoutDecimal() const
{
    if (!isDecimal())
        return *this;
    Number n;
    if (isInteger()) {
        n.integer = asLongLong();
        n.type = negative || n.integer >= 0 ? NumberType::LongLong : NumberType::UnsignedLongLong;
    } else {
        n.type = NumberType::Double;
        n.real = asDouble();
    }
    return n;
}

bool Number::operator==(const Number& other) const
{
    if (isDecimal())
        return decimalEquals(*this, other);
    if (other.isDecimal())
        return decimalEquals(other, *this);
    if (isReal() || other.isReal())
        return asDouble() == other.asDouble();
    return integer == other.integer;
}

Date Date::now()
{
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

Value Value::null()
{
    Value v;
    v.m_storage = NullTag{};
    return v;
}

Value Value::boolean(bool b) { return number(NumberType::Bool, static_cast<long long>(b ? 1 : 0)); }

Value Value::number(NumberType type, long long integer)
{
    if (type == NumberType::Decimal) {
        const auto bits = static_cast<unsigned long long>(integer);
        return number(decimalFromInteger(integer < 0, integer < 0 ? 0 - bits : bits));
    }
    Value v;
    Number n;
    n.type = type;
    if (n.isReal())
        n.real = static_cast<double>(integer);
    else
        n.integer = integer;
    v.m_storage = n;
    return v;
}

Value Value::number(NumberType type, double real)
{
    if (type == NumberType::Decimal && std::isfinite(real)) {
        // The decimal of the double's shortest text, which reads back as it.
        char text[32];
        auto written = std::to_chars(text, text + sizeof text, real);
        return number(*decimalFromText(std::string_view(text, static_cast<std::size_t>(written.ptr - text))));
    }
    if (type == NumberType::Decimal)
        type = NumberType::Double; // no decimal is NaN or infinite
    Value v;
    Number n;
    n.type = type;
    if (n.isReal())
        n.real = type == NumberType::Float ? static_cast<double>(static_cast<float>(real)) : real;
    else {
        Number asReal;
        asReal.type = NumberType::Double;
        asReal.real = real;
        n.integer = type == NumberType::Bool ? (real != 0) : asReal.asLongLong();
    }
    v.m_storage = n;
    return v;
}

Value Value::unsignedNumber(unsigned long long value)
{
    return number(NumberType::UnsignedLongLong, static_cast<long long>(value));
}

Value Value::number(const Number& n)
{
    Value v;
    v.m_storage = n;
    return v;
}

Value Value::data(Bytes bytes) { return data(std::make_shared<const Bytes>(std::move(bytes))); }

Value Value::data(std::shared_ptr<const Bytes> bytes)
{
    Value v;
    if (bytes)
        v.m_storage = std::move(bytes);
    return v;
}

Value Value::date(Date d)
{
    Value v;
    v.m_storage = d;
    return v;
}

Value::Value(int i) : Value(number(NumberType::Int, static_cast<long long>(i))) {}
Value::Value(long i) : Value(number(NumberType::Long, static_cast<long long>(i))) {}
Value::Value(long long i) : Value(number(NumberType::LongLong, i)) {}
Value::Value(float f) : Value(number(NumberType::Float, static_cast<double>(f))) {}
Value::Value(double d) : Value(number(NumberType::Double, d)) {}
Value::Value(const char* s)
{
    if (s)
        m_storage = std::string(s);
}
Value::Value(std::string s) : m_storage(std::move(s)) {}
Value::Value(ArrayRef a)
{
    if (a)
        m_storage = std::move(a);
}
Value::Value(DictionaryRef d)
{
    if (d)
        m_storage = std::move(d);
}
Value::Value(ObjectRef o)
{
    if (o)
        m_storage = std::move(o);
}

std::shared_ptr<const Bytes> Value::data() const
{
    if (auto p = std::get_if<std::shared_ptr<const Bytes>>(&m_storage))
        return *p;
    return nullptr;
}

std::optional<Date> Value::date() const
{
    if (auto p = std::get_if<Date>(&m_storage))
        return *p;
    return std::nullopt;
}

ArrayRef Value::array() const
{
    if (auto p = std::get_if<ArrayRef>(&m_storage))
        return *p;
    return nullptr;
}

DictionaryRef Value::dictionary() const
{
    if (auto p = std::get_if<DictionaryRef>(&m_storage))
        return *p;
    return nullptr;
}

ObjectRef Value::object() const
{
    if (auto p = std::get_if<ObjectRef>(&m_storage))
        return *p;
    return nullptr;
}

std::optional<std::string> Value::stringValue() const
{
    switch (type()) {
    case Type::String: return *string();
    case Type::Number: return description();
    default: return std::nullopt;
    }
}

std::string Value::stringOr(std::string_view fallback) const
{
    if (auto s = stringValue())
        return std::move(*s);
    return std::string(fallback);
}

namespace {

// Leading-number parsing in the manner of the platform's string accessors:
// leading blanks skipped, then as many characters as form a number; no
// number gives 0.
long long parseLeadingInteger(const std::string& s)
{
    return std::strtoll(s.c_str(), nullptr, 10);
}

double parseLeadingDouble(const std::string& s)
{
    // strtod follows the C locale here since the program never changes LC_NUMERIC.
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    return end == s.c_str() ? 0 : v;
}

bool parseLeadingBool(const std::string& s)
{
    // True for "Y", "y", "T", "t" or a non-zero leading digit, after blanks and zeros and a sign.
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    while (i < s.size() && s[i] == '0')
        ++i;
    if (i >= s.size())
        return false;
    char c = s[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}

long long Value::longLongValue() const
{
    if (auto n = number())
        return n->asLongLong();
    if (auto s = string())
        return parseLeadingInteger(*s);
    return 0;
}

int Value::intValue() const
{
    if (auto n = number())
        return static_cast<int>(n->asLongLong());
    if (auto s = string()) {
        long long v = parseLeadingInteger(*s);
        if (v > std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max();
        if (v < std::numeric_limits<int>::min())
            return std::numeric_limits<int>::min();
        return static_cast<int>(v);
    }
    return 0;
}

long Value::longValue() const { return static_cast<long>(longLongValue()); }

double Value::doubleValue() const
{
    if (auto n = number())
        return n->asDouble();
    if (auto s = string())
        return parseLeadingDouble(*s);
    return 0;
}

float Value::floatValue() const { return static_cast<float>(doubleValue()); }

bool Value::boolValue() const
{
    if (auto n = number()) {
        if (n->isDecimal())
            return n->significand.low != 0 || n->significand.high != 0;
        return n->isReal() ? n->real != 0 : n->integer != 0;
    }
    if (auto s = string())
        return parseLeadingBool(*s);
    return false;
}

std::size_t Value::length() const
{
    switch (type()) {
    case Type::String: return utf16Length(*string());
    case Type::Data: return data()->size();
    case Type::Array: return array()->count();
    case Type::Dictionary: return dictionary()->count();
    default: return 0;
    }
}

namespace {

// The text of a double with one to six decimals (a price, a rate) when it is
// one: the digits of m / 10^k for the least such k, found without the
// general conversions, whose code is large enough to push a page fill's own
// code out of the processor's cache. m / 10^k divided in doubles is the
// double nearest that decimal, which is what reading the text gives, so the
// text reads back. Below 2^49 a double's spacing is under an eighth of
// 10^-k, so no other decimal of as few digits reads back as the same double
// and these are the digits of the shortest "%g" text; with a fraction and
// at least 0.0001 in size, that text has no exponent.
std::optional<std::string> shortDecimal(double d)
{
    static constexpr double powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    const double size = std::fabs(d);
    if (!(size >= 1e-4 && size < 1e9))
        return std::nullopt;
    for (int k = 1; k <= 6; ++k) {
        const double m = std::nearbyint(size * powers[k]);
        if (m >= 562949953421312.0) // 2^49
            return std::nullopt;
        if (m / powers[k] != size)
            continue;
        auto digits = static_cast<unsigned long long>(m);
        if (digits % 10 == 0)
            return std::nullopt; // a whole number: k = 1 was the least
        char text[32];
        char* end = std::to_chars(text, text + sizeof text, digits).ptr;
        const auto length = static_cast<int>(end - text);
        std::string out;
        if (d < 0)
            out += '-';
        if (length <= k) {
            out += "0.";
            out.append(static_cast<std::size_t>(k - length), '0');
            out.append(text, end);
        } else {
            out.append(text, end - k);
            out += '.';
            out.append(end - k, end);
        }
        return out;
    }
    return std::nullopt;
}

std::string formatReal(double d, NumberType type)
{
    if (std::isnan(d))
        return "nan";
    if (std::isinf(d))
        return d > 0 ? "inf" : "-inf";
    if (type != NumberType::Float) {
        if (auto text = shortDecimal(d))
            return std::move(*text);
    }
    // Prefer the shortest "%.*g" text that reads back as the same value. The
    // character conversions write and read exactly as printf and strtod do,
    // without their locale and stream costs.
    char shorter[40];
    // No text with fewer significant digits than the shortest one that
    // reads back can read back, so the search starts at its digit count.
    int first = 1;
    {
        auto written = type == NumberType::Float
                           ? std::to_chars(shorter, shorter + sizeof shorter, static_cast<float>(d))
                           : std::to_chars(shorter, shorter + sizeof shorter, d);
        if (written.ec == std::errc()) {
            int digits = 0, pendingZeros = 0;
            bool leading = true;
            for (const char* c = shorter; c != written.ptr && *c != 'e'; ++c) {
                if (*c < '0' || *c > '9')
                    continue;
                if (*c == '0') {
                    if (!leading)
                        ++pendingZeros;
                    continue;
                }
                leading = false;
                digits += pendingZeros + 1;
                pendingZeros = 0;
            }
            first = std::max(1, std::min(digits, 17));
        }
    }
    for (int precision = first; precision <= 17; ++precision) {
        auto written = std::to_chars(shorter, shorter + sizeof shorter, d, std::chars_format::general, precision);
        if (written.ec != std::errc())
            break;
        bool same = false;
        if (type == NumberType::Float) {
            float back = 0;
            auto read = std::from_chars(shorter, written.ptr, back);
            same = read.ec == std::errc() && back == static_cast<float>(d);
        } else {
            double back = 0;
            auto read = std::from_chars(shorter, written.ptr, back);
            same = read.ec == std::errc() && back == d;
        }
        if (same)
            return std::string(shorter, written.ptr);
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, type == NumberType::Float ? "%.7g" : "%.17g", d);
    return buf;
}

void describe(const Value& v, std::string& out, int indent);

void appendIndent(std::string& out, int indent) { out.append(static_cast<std::size_t>(indent) * 4, ' '); }

bool needsQuotes(const std::string& s)
{
    if (s.empty())
        return true;
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '_' || c == '.' || c == '$' || c == '/' || c >= 0x80))
            return true;
    return false;
}

void describeNested(const Value& v, std::string& out, int indent)
{
    if (auto s = v.string(); s && needsQuotes(*s)) {
        out += '"';
        for (char c : *s) {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
        out += '"';
        return;
    }
    describe(v, out, indent);
}

void describe(const Value& v, std::string& out, int indent)
{
    switch (v.type()) {
    case Value::Type::Nil: out += "(null)"; return;
    case Value::Type::Null: out += "<null>"; return;
    case Value::Type::String: out += *v.string(); return;
    case Value::Type::Number: {
        const Number& n = *v.number();
        if (n.isDecimal())
            appendDecimalText(n, out);
        else if (n.isReal())
            out += formatReal(n.real, n.type);
        else if (n.type == NumberType::UnsignedLongLong)
            out += std::to_string(static_cast<unsigned long long>(n.integer));
        else
            out += std::to_string(n.integer);
        return;
    }
    case Value::Type::Data: {
        static const char* hex = "0123456789abcdef";
        out += '<';
        const Bytes& b = *v.data();
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (i && i % 4 == 0)
                out += ' ';
            out += hex[b[i] >> 4];
            out += hex[b[i] & 15];
        }
        out += '>';
        return;
    }
    case Value::Type::Date: {
        char buf[64];
        std::time_t t = static_cast<std::time_t>(std::floor(v.date()->seconds));
        std::tm tm{};
        gmtime_r(&t, &tm);
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
        out += buf;
        return;
    }
    case Value::Type::Array: {
        out += "(\n";
        const auto& values = v.array()->values();
        for (std::size_t i = 0; i < values.size(); ++i) {
            appendIndent(out, indent + 1);
            describeNested(values[i], out, indent + 1);
            out += i + 1 < values.size() ? ",\n" : "\n";
        }
        appendIndent(out, indent);
        out += ')';
        return;
    }
    case Value::Type::Dictionary: {
        out += "{\n";
        for (const auto& [key, value] : *v.dictionary()) {
            appendIndent(out, indent + 1);
            describeNested(Value(key), out, indent + 1);
            out += " = ";
            describeNested(value, out, indent + 1);
            out += ";\n";
        }
        appendIndent(out, indent);
        out += '}';
        return;
    }
    case Value::Type::Object: out += v.object()->description(); return;
    }
}

}

std::string Value::description() const
{
    std::string out;
    describe(*this, out, 0);
    return out;
}

bool Value::operator==(const Value& other) const
{
    if (type() != other.type())
        return false;
    switch (type()) {
    case Type::Array: return *array() == *other.array();
    case Type::Dictionary: return *dictionary() == *other.dictionary();
    case Type::Data: return *data() == *other.data();
    case Type::Object: {
        ObjectRef mine = object(), theirs = other.object();
        return mine == theirs || (mine && theirs && mine->isEqual(*theirs));
    }
    default: return m_storage == other.m_storage;
    }
}

}
