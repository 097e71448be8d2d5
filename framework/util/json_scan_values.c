/* Making the scanner's values through the callback table and storing them in
 * the open container. */

#include "framework/util/json_scanner.h"

/* Whether the `length` bytes (which are followed by a terminator) are valid
 * UTF-8; NUL bytes inside count as characters. */
static int utf8_valid(const unsigned char *p, uint32_t length)
{
    const unsigned char *end = p + length;
    int invalid = 0;
    while (p < end && !invalid) {
        if (*p < 0x80)
            p++;
        else
            p = utf8_sequence(p, &invalid);
    }
    return !invalid && p == end;
}

void json_release_value(json_scanner *s, void *value)
{
    if (value && s->cb->json_release)
        s->cb->json_release(s->cb, value, s->user);
}

static void *container(json_scanner *s)
{
    return s->values->count > 0 ? (void *)s->values->entries[s->values->count - 1] : NULL;
}

void json_set_member_value(json_scanner *s, void *value)
{
    const char *key = terminated(s->key);
    if (key && (!s->key_high || utf8_valid((const unsigned char *)key, s->key->length)))
        s->cb->json_set_member(s->cb, container(s), key, s->key->length, value, s->user);
}

void json_add_element_value(json_scanner *s, void *value)
{
    if (value)
        s->cb->json_add_element(s->cb, container(s), value, s->user);
}

void *json_make_string(json_scanner *s)
{
    const char *bytes = terminated(s->text);
    if (!bytes)
        return 0;
    if (s->text_recheck ? !utf8_valid((const unsigned char *)bytes, s->text->length) : s->text_invalid)
        return 0;
    s->scratch->length = 0;
    return s->cb->json_string(s->cb, bytes, s->text->length, s->scratch, s->user);
}

void *json_make_number(json_scanner *s)
{
    const char *text = terminated(s->text);
    return text ? s->cb->json_number(s->cb, text, s->text->length, s->user) : 0;
}

/* The length of `word` when the text begins with it, else 0. The first
 * byte that differs ends the test, so nothing past a terminator is read. */
static inline int match_word(const char *p, const char *word, int length)
{
    for (int i = 0; i < length; i++)
        if (p[i] != word[i])
            return 0;
    return length;
}

int json_make_word(json_scanner *s, const char *p, void **value)
{
    int n;
    if ((n = match_word(p, "true", 4))) {
        *value = s->cb->json_boolean(s->cb, 1, s->user);
    } else if ((n = match_word(p, "false", 5))) {
        *value = s->cb->json_boolean(s->cb, 0, s->user);
    } else if ((n = match_word(p, "null", 4))) {
        *value = s->cb->json_null(s->cb, s->user);
    }
    return n;
}

void json_open_container(json_scanner *s, int object, int as_member)
{
    if (ptr_list_count(s->values) >= JSON_SCAN_MAX_DEPTH) {
        s->stop = 1;
        return;
    }
    void *value = object ? s->cb->json_new_object(s->cb, s->user) : s->cb->json_new_array(s->cb, s->user);
    if (!value) {
        s->stop = 1;
        return;
    }
    if (ptr_list_count(s->values) == 0)
        s->root = value;
    else if (as_member)
        json_set_member_value(s, value);
    else
        json_add_element_value(s, value);
    if (!ptr_list_push(s->values, (intptr_t)value)) {
        if (value != s->root)
            json_release_value(s, value);
        s->stop = 1;
    }
}

void json_close_container(json_scanner *s)
{
    pop_state(s);
    void *value = (void *)ptr_list_pop(s->values);
    empty_buffers(s);
    if (ptr_list_count(s->values) == 0) {
        s->stop = 1; /* the outermost value is complete */
        s->closed = 1;
    }
    else
        json_release_value(s, value);
}

void json_finish_scalar(json_scanner *s)
{
    int string = s->state == S_MEMBER_STRING || s->state == S_ELEMENT_STRING;
    void *value = string ? json_make_string(s) : json_make_number(s);
    if (s->state == S_MEMBER_STRING || s->state == S_MEMBER_NUMBER)
        json_set_member_value(s, value);
    else
        json_add_element_value(s, value);
    json_release_value(s, value);
    empty_buffers(s);
    pop_state(s);
}
