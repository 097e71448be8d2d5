#pragma once

// The framework's JSON codec. Decoding reads the lenient dialect of the
// application server (unquoted keys, optional commas, truncated text keeps
// what was read) into mutable dictionaries and arrays, strings, numbers (a
// 64-bit integer unless the text holds ".", "e" or "E", then a double;
// true and false as Boolean numbers) and null. Encoding writes compact text.
// No state between calls; safe on any thread for values used by one thread.

#include "platform/foundation/Value.h"

#include <string>

class KRJSON {
public:
    // Nil for empty text, text that cannot begin a JSON value, or text that
    // produced nothing. Malformed text gives what was built before it failed;
    // containers nested deeper than 512 levels end the text there, and so
    // does a NUL byte.
    static pf::Value decodeText(const std::string& text);

    // decodeText's value, and whether the text closed its outermost value.
    // A text that ends inside a container (an answer cut short) gives the
    // part read with `closed` false; so does one cut by the depth bound or
    // a NUL byte. Nothing produced is nil and not closed.
    struct Decoded {
        pf::Value value;
        bool closed = false;
    };
    static Decoded decodeTextAndEnd(const std::string& text);

    // Numbers by their decimal text (Booleans as 1 and 0, non-finite numbers
    // as null), strings with quotes, backslashes, line breaks, tabs and other
    // control characters escaped, dictionaries without their nil and null
    // members, arrays with null as null, other objects as the members of
    // their declared properties (own class first, then each superclass),
    // nil as null. Containers nested deeper than 512 levels are written as
    // null.
    static std::string encodeObject(const pf::Value& object);
};
