#pragma once

// Failures are values: a domain (a class name or a fixed domain such as
// "KRHttpService"), a numeric code and a description.

#include <string>
#include <utility>
#include <variant>

namespace pf {

struct Error {
    std::string domain;
    long long code = 0;
    std::string description;

    bool operator==(const Error&) const = default;
};

// The value of a fallible call, or its error.
template <class T>
class ErrorOr {
public:
    ErrorOr(T value) : m_value(std::move(value)) {}
    ErrorOr(Error error) : m_value(std::move(error)) {}

    bool ok() const { return m_value.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_value); }
    const T& value() const { return std::get<0>(m_value); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const Error& error() const { return std::get<1>(m_value); }

private:
    std::variant<T, Error> m_value;
};

}
