#pragma once

/* Small C text helpers: base64 (standard alphabet, "=" padding, a line feed
 * after every 76 characters), substring test, UTF-16 to UTF-8 and the HTTP
 * date of "If-Modified-Since". */

#include "framework/util/byte_buffer.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Appends the base64 text of the bytes. 1 on success; 0 when bytes or buffer
 * are NULL, the length is below 1 or the text does not fit (the buffer is
 * then left as it was). */
int base64_encode(const void *bytes, int64_t length, byte_buffer *buffer);

/* Appends the decoded bytes. Line feeds, carriage returns, spaces and tabs
 * are skipped between groups of four characters. 1 on success; 0 for NULL
 * arguments or malformed text, in which case the bytes of the complete
 * groups before the fault stay appended. */
int base64_decode(const char *text, byte_buffer *buffer);

/* 1 when `needle` occurs in `text` (an empty needle always does), else 0;
 * 0 when either is NULL. */
int str_contains(const char *text, const char *needle);

/* Writes the UTF-8 form of `count` UTF-16 units to `out`, which must have
 * room for three bytes per unit; no terminator. A surrogate pair becomes one
 * four-byte character, a lone surrogate U+FFFD. Returns the bytes written. */
uint32_t utf16_to_utf8(const uint16_t *units, uint32_t count, unsigned char *out);

/* Writes `seconds` since 1970 as "Thu, 01 Jan 1970 00:00:00 GMT" (UTC, C
 * locale names) with a terminator. Returns the characters written, 0 when
 * they and the terminator do not fit or the time cannot be represented. */
size_t http_date_format(int64_t seconds, char *out, size_t size);

#ifdef __cplusplus
}
#endif
