#pragma once

// The persistent user-defaults store: values by key, kept in memory and
// written to one file on synchronize(). The file is JSON so that null and
// nested collections round-trip; numbers keep integer, real and Boolean
// kinds, dates and data are tagged. Writes replace the file atomically; a
// file that cannot be read is moved aside (".corrupt") and the store starts
// empty, with a log line.
//
// Any thread; one lock guards the values.

#include "platform/foundation/Value.h"

#include <mutex>
#include <optional>
#include <string>

namespace pf {

class UserDefaults {
public:
    // The application's store, in the home directory's "Library/Preferences".
    static UserDefaults& standard();
    // Forgets the standard store so that the next standard() reads the file
    // again, as a new process would (tests use it to simulate a restart).
    static void resetStandard();

    explicit UserDefaults(std::string path);

    Value objectForKey(const std::string& key) const;
    // Nil removes the key.
    void setObject(const Value& value, const std::string& key);
    void removeObjectForKey(const std::string& key) { setObject(Value(), key); }
    std::optional<std::string> stringForKey(const std::string& key) const;
    long long integerForKey(const std::string& key) const { return objectForKey(key).longLongValue(); }
    double doubleForKey(const std::string& key) const { return objectForKey(key).doubleValue(); }
    bool boolForKey(const std::string& key) const { return objectForKey(key).boolValue(); }

    // Writes the store; false (and a log line) when it could not be written.
    bool synchronize();
    const std::string& path() const { return m_path; }

private:
    void load();

    std::string m_path;
    mutable std::mutex m_mutex; // guards m_values
    DictionaryRef m_values;
};

}
