#include "framework/util/byte_buffer.h"

#include <stdlib.h>
#include <string.h>

byte_buffer *byte_buffer_create(uint32_t capacity, int32_t growth)
{
    byte_buffer *buffer = calloc(1, sizeof *buffer);
    if (!buffer)
        return NULL;
    buffer->growth = growth < 1 ? 1024u : (uint32_t)growth;
    if (capacity > 0) {
        buffer->data = malloc(capacity);
        if (!buffer->data) {
            free(buffer);
            return NULL;
        }
        buffer->capacity = capacity;
    }
    return buffer;
}

void byte_buffer_free(byte_buffer *buffer)
{
    if (!buffer)
        return;
    free(buffer->data);
    free(buffer);
}

int byte_buffer_reserve(byte_buffer *buffer, uint32_t needed)
{
    if (!buffer)
        return 0;
    if (buffer->capacity >= needed && buffer->data)
        return 1;
    uint32_t capacity = needed > UINT32_MAX - buffer->growth ? UINT32_MAX : needed + buffer->growth;
    if (capacity == 0)
        capacity = 1;
    unsigned char *data = realloc(buffer->data, capacity);
    if (!data)
        return 0;
    buffer->data = data;
    buffer->capacity = capacity;
    return 1;
}

void *byte_buffer_append(byte_buffer *buffer, const void *bytes, uint32_t count)
{
    if (!buffer || (!bytes && count > 0))
        return NULL;
    /* length + count + 1 must not wrap around. */
    if (count > UINT32_MAX - 1 - buffer->length)
        return NULL;
    if (!byte_buffer_reserve(buffer, buffer->length + count + 1))
        return NULL;
    unsigned char *at = buffer->data + buffer->length;
    if (count > 0)
        memcpy(at, bytes, count);
    buffer->length += count;
    return at;
}

int byte_buffer_append_string(byte_buffer *buffer, const char *text)
{
    if (!buffer || !text)
        return 1;
    size_t length = strlen(text);
    if (length > UINT32_MAX)
        return 0;
    return byte_buffer_append(buffer, text, (uint32_t)length) != NULL;
}

void byte_buffer_clear(byte_buffer *buffer)
{
    if (buffer)
        buffer->length = 0;
}

char *byte_buffer_cstring(byte_buffer *buffer)
{
    if (!buffer)
        return NULL;
    if (buffer->length == UINT32_MAX || !byte_buffer_reserve(buffer, buffer->length + 1))
        return NULL;
    buffer->data[buffer->length] = 0;
    return (char *)buffer->data;
}

uint32_t byte_buffer_length(const byte_buffer *buffer)
{
    return buffer ? buffer->length : 0;
}

unsigned char *byte_buffer_data(const byte_buffer *buffer)
{
    return buffer ? buffer->data : NULL;
}
