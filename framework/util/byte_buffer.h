#pragma once

/* A growable run of bytes owned by the buffer: the output of the base64
 * codec, the JSON scanner, the markup tokenizer and the style-sheet parser.
 * Sizes are 32-bit; any size that would pass 4 GiB is refused (the call
 * reports failure and the buffer is left as it was). A NULL buffer is
 * tolerated by every call. Not thread-safe: one owner at a time. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct byte_buffer {
    unsigned char *data; /* owned */
    uint32_t length;     /* bytes in use */
    uint32_t capacity;   /* bytes allocated */
    uint32_t growth;     /* extra bytes added on every enlargement, at least 1 */
} byte_buffer;

/* NULL when memory runs out. A growth below 1 becomes 1024. */
byte_buffer *byte_buffer_create(uint32_t capacity, int32_t growth);
void byte_buffer_free(byte_buffer *buffer);

/* When the capacity is below `needed` it becomes needed + growth (capped at
 * the 32-bit limit). 1 on success, 0 when memory runs out or buffer is NULL. */
int byte_buffer_reserve(byte_buffer *buffer, uint32_t needed);

/* Copies `count` bytes to the end, always keeping one spare byte for the
 * terminator of byte_buffer_cstring. Returns where the bytes were copied, or
 * NULL (nothing appended) for a NULL buffer, NULL bytes with a positive count,
 * a size past the 32-bit limit or lack of memory. */
void *byte_buffer_append(byte_buffer *buffer, const void *bytes, uint32_t count);
/* Appends the text without its terminator; nothing for NULL buffer or text.
 * 1 on success (also for NULL text), 0 on failure. */
int byte_buffer_append_string(byte_buffer *buffer, const char *text);
void byte_buffer_clear(byte_buffer *buffer);

/* Writes a zero byte after the content and returns the content as a C string;
 * NULL for a NULL buffer or one without storage that cannot get one. */
char *byte_buffer_cstring(byte_buffer *buffer);
uint32_t byte_buffer_length(const byte_buffer *buffer);
unsigned char *byte_buffer_data(const byte_buffer *buffer);

#ifdef __cplusplus
}
#endif
