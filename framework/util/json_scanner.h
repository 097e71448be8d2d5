#pragma once

/* The working state of one json_scan and the small steps every part of the
 * scanner takes on it. Internal to the scanner's sources: json_scan.c runs
 * the state machine over the structure, json_scan_string.c reads the bytes
 * of a string, json_scan_values.c makes values through the callback table
 * and stores them. */

#include "framework/util/json_scan.h"
#include "framework/util/ptr_list.h"

#include <string.h>

enum json_state {
    S_TOP,
    S_TOP_STRING,
    S_TOP_NUMBER,
    S_OBJECT,
    S_KEY,
    S_VALUE,
    S_MEMBER_STRING,
    S_MEMBER_NUMBER,
    S_ARRAY,
    S_ELEMENT_DONE,
    S_ELEMENT_STRING,
    S_ELEMENT_NUMBER,
    S_STRING,
    S_TOKEN,
};

typedef struct json_scanner {
    const json_callbacks *cb;
    void *user;
    ptr_list *states;
    ptr_list *values; /* open containers, the outermost first */
    byte_buffer *key;
    byte_buffer *text;
    byte_buffer *scratch;
    void *root;
    int state; /* the top of `states` */
    int stop;
    int closed; /* the outermost value ended within the text */
    /* What is known of the UTF-8 in `text`: a raw byte sequence in it was
     * invalid, or a byte of 0x80 or above came from an escape, which only
     * the whole text can tell. Escapes of code points are valid as made. */
    int text_invalid;
    int text_recheck;
    /* `key` holds a byte of 0x80 or above and needs checking. */
    int key_high;
} json_scanner;

/* Copies the short runs most keys, numbers and words are made of without a
 * call: two overlapping loads and stores cover any length in their range. */
static inline void copy_run(unsigned char *out, const char *in, uint32_t count)
{
    if (count >= 8 && count <= 16) {
        uint64_t head, tail;
        memcpy(&head, in, 8);
        memcpy(&tail, in + count - 8, 8);
        memcpy(out, &head, 8);
        memcpy(out + count - 8, &tail, 8);
    } else if (count >= 4 && count < 8) {
        uint32_t head, tail;
        memcpy(&head, in, 4);
        memcpy(&tail, in + count - 4, 4);
        memcpy(out, &head, 4);
        memcpy(out + count - 4, &tail, 4);
    } else if (count < 4) {
        for (uint32_t i = 0; i < count; i++)
            out[i] = (unsigned char)in[i];
    } else {
        memcpy(out, in, count);
    }
}

/* Appends to one of the scanner's buffers: inline while there is room
 * (keeping the spare byte for the terminator), byte_buffer_append to grow. */
static inline int append(byte_buffer *buffer, const void *bytes, uint32_t count)
{
    if (buffer->capacity - buffer->length > count) {
        copy_run(buffer->data + buffer->length, (const char *)bytes, count);
        buffer->length += count;
        return 1;
    }
    return byte_buffer_append(buffer, bytes, count) != NULL;
}

/* The stacks are touched for every byte of structure, so the common paths
 * work on the list's fields directly and call out only to grow. */
static inline void push_state(json_scanner *s, int state)
{
    ptr_list *states = s->states;
    if (states->count < states->capacity)
        states->entries[states->count++] = state;
    else if (!ptr_list_push(states, state)) {
        s->stop = 1;
        return;
    }
    s->state = state;
}

static inline void pop_state(json_scanner *s)
{
    ptr_list *states = s->states;
    if (states->count > 0)
        states->count--;
    s->state = states->count > 0 ? (int)states->entries[states->count - 1] : S_TOP;
}

static inline void replace_state(json_scanner *s, int state)
{
    s->states->entries[s->states->count - 1] = state;
    s->state = state;
}

static inline void empty_buffers(json_scanner *s)
{
    s->key->length = 0;
    s->text->length = 0;
    s->text_invalid = 0;
    s->text_recheck = 0;
    s->key_high = 0;
}

/* The buffer's content with a terminator: append always leaves room for it. */
static inline const char *terminated(byte_buffer *buffer)
{
    if (buffer->capacity > buffer->length) {
        buffer->data[buffer->length] = 0;
        return (const char *)buffer->data;
    }
    return byte_buffer_cstring(buffer);
}

static inline int is_continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

/* Checks the sequence at p, whose first byte is 0x80 or above, as strict
 * UTF-8 (no overlong forms, surrogates or code points past U+10FFFF) and
 * returns the byte after it, or after the first byte when it is invalid
 * (setting *invalid). A terminator fails every test, so nothing past it is
 * read. */
static inline const unsigned char *utf8_sequence(const unsigned char *p, int *invalid)
{
    unsigned char c = p[0];
    if (c >= 0xC2 && c <= 0xDF) {
        if (is_continuation(p[1]))
            return p + 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        unsigned char low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        if (p[1] >= low && p[1] <= high && is_continuation(p[2]))
            return p + 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
        unsigned char low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        if (p[1] >= low && p[1] <= high && is_continuation(p[2]) && is_continuation(p[3]))
            return p + 4;
    }
    *invalid = 1;
    return p + 1;
}

/* json_scan_values.c: making values and storing them in the open container. */

/* Hands a value to the table's release entry (0 is ignored). */
void json_release_value(json_scanner *s, void *value);
/* Sets `value` under the key buffer's text in the open object; a key that
 * is not valid UTF-8 sets nothing. */
void json_set_member_value(json_scanner *s, void *value);
/* Adds `value` to the open array; 0 adds nothing. */
void json_add_element_value(json_scanner *s, void *value);
/* The value text buffer as a string (0 when its bytes are not valid UTF-8)
 * or as a number. */
void *json_make_string(json_scanner *s);
void *json_make_number(json_scanner *s);
/* true, false or null at p: makes the value and returns the word's length;
 * 0 (nothing made) for any other text. */
int json_make_word(json_scanner *s, const char *p, void **value);
/* Opens a container: `object` chooses which. With `as_member` it is set under
 * the key, otherwise added to the array on top (or made the root when no
 * container is open). */
void json_open_container(json_scanner *s, int object, int as_member);
/* Pops the open container; the scan stops when it was the outermost. */
void json_close_container(json_scanner *s);
/* The Member and Element string and number states: store the value read,
 * then return to the container's state. */
void json_finish_scalar(json_scanner *s);

/* json_make_word, with the test that rules out most values (numbers) kept
 * inline. */
static inline int make_word(json_scanner *s, const char *p, void **value)
{
    if (*p != 't' && *p != 'f' && *p != 'n')
        return 0;
    return json_make_word(s, p, value);
}

/* A string or number that ended before byte p is stored as soon as p is
 * known to be a byte (not the end of the text), which is what the states
 * would do on reading it: text that ends right after a value still loses
 * it, as the dialect has it. */
static inline void finish_scalar_before(json_scanner *s, const char *p)
{
    if (*p && (s->state == S_MEMBER_STRING || s->state == S_MEMBER_NUMBER || s->state == S_ELEMENT_STRING ||
               s->state == S_ELEMENT_NUMBER))
        json_finish_scalar(s);
}

/* json_scan_string.c: the String state from p (inside the quotes); returns
 * where scanning goes on. */
const char *json_scan_string(json_scanner *s, const char *p);
