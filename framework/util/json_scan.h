#pragma once

/* A one-pass JSON scanner of the framework's lenient dialect: keys may be
 * unquoted and end at the first colon, commas are optional, numbers are runs
 * of "0-9 - + . e E x", single quotes may be escaped, and truncated text
 * yields what was read. The scanner knows nothing of objects: it reports
 * every value through a table of callbacks, each of which receives the table
 * first and the caller's data last.
 *
 * Handles are the table's opaque values; 0 means "no value". Every non-zero
 * handle a callback returns is either the result of json_scan (the caller
 * owns it) or handed to json_release exactly once, after the scanner's last
 * use of it: a scalar right after it was set or added, a container when it
 * closes or when the scan ends with it still open (it is already attached to
 * its parent then). A scalar (string, number, Boolean or null) is set,
 * added or released before the next value is made, so a table may keep one
 * pending scalar at a time. */

#include "framework/util/byte_buffer.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Containers nested deeper than this end the scan as if the text ended. */
#define JSON_SCAN_MAX_DEPTH 512

typedef struct json_callbacks json_callbacks;
struct json_callbacks {
    void *(*json_new_object)(const json_callbacks *table, void *user_data);
    /* `key` holds `key_length` bytes of valid UTF-8 and a terminator: a
     * member whose key is not valid UTF-8 is never set. `value` is 0 when a
     * string member had no value (its bytes were not valid UTF-8); the table
     * may then remove the key. */
    void (*json_set_member)(const json_callbacks *table, void *object, const char *key, uint32_t key_length,
                            void *value, void *user_data);
    void *(*json_new_array)(const json_callbacks *table, void *user_data);
    /* Never called with a 0 value. */
    void (*json_add_element)(const json_callbacks *table, void *array, void *value, void *user_data);
    /* `text` holds `length` bytes of "0-9 - + . e E x" and a terminator. */
    void *(*json_number)(const json_callbacks *table, const char *text, uint32_t length, void *user_data);
    /* `bytes` holds `length` bytes of valid UTF-8 and a terminator; it may
     * hold NUL bytes written as "\u0000". A string whose bytes are not valid
     * UTF-8 is no value: its member is removed, its element skipped, and as
     * the outermost value it gives none. `bytes` stays valid until the
     * string is set, added or released (not past the scan, for the
     * outermost value). `scratch` is a buffer the table may use. */
    void *(*json_string)(const json_callbacks *table, const char *bytes, uint32_t length, byte_buffer *scratch,
                         void *user_data);
    void *(*json_boolean)(const json_callbacks *table, int value, void *user_data);
    void *(*json_null)(const json_callbacks *table, void *user_data);
    void (*json_release)(const json_callbacks *table, void *value, void *user_data);
};

/* Scans the NUL-terminated UTF-8 text and returns the outermost value, or 0
 * when none was produced (NULL text, text that cannot begin a value, a lone
 * top-level number or string not followed by another byte). A leading
 * UTF-8 byte-order mark is skipped. Escaped
 * surrogate pairs become one four-byte character and lone surrogates U+FFFD.
 * The scan stops after the outermost container closes. Never reads past the
 * terminator. */
void *json_scan(const json_callbacks *callbacks, const char *text, void *user_data);

/* json_scan that also sets `*closed` (when not NULL): 1 when the outermost
 * value ended within the text (its container closed, or it was a complete
 * scalar), 0 when no value was produced or the scan ended with a container
 * still open (the text, the depth bound or memory ran out): the value
 * returned is then only the part read. */
void *json_scan_ending(const json_callbacks *callbacks, const char *text, void *user_data, int *closed);

#ifdef __cplusplus
}
#endif
