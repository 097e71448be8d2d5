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

static int is_blank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static const unsigned char token_bytes[256] = {
    ['0'] = 1, ['1'] = 1, ['2'] = 1, ['3'] = 1, ['4'] = 1, ['5'] = 1, ['6'] = 1, ['7'] = 1, ['8'] = 1, ['9'] = 1,
    ['-'] = 1, ['+'] = 1, ['.'] = 1, ['e'] = 1, ['E'] = 1, ['x'] = 1,
};

/* Bytes that end a run of key bytes. */
static const unsigned char key_stop[256] = {[0] = 1, ['\\'] = 1, ['"'] = 1, [':'] = 1};

static inline int is_token(unsigned char c)
{
    return token_bytes[c];
}

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

static int begins_number(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
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

static void replace_state(json_scanner *s, int state)
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

static void release(json_scanner *s, void *value)
{
    if (value && s->cb->json_release)
        s->cb->json_release(s->cb, value, s->user);
}

static void *container(json_scanner *s)
{
    return s->values->count > 0 ? (void *)s->values->entries[s->values->count - 1] : NULL;
}

static void set_member(json_scanner *s, void *value)
{
    const char *key = terminated(s->key);
    if (key && (!s->key_high || utf8_valid((const unsigned char *)key, s->key->length)))
        s->cb->json_set_member(s->cb, container(s), key, s->key->length, value, s->user);
}

static void add_element(json_scanner *s, void *value)
{
    if (value)
        s->cb->json_add_element(s->cb, container(s), value, s->user);
}

static void *make_string(json_scanner *s)
{
    const char *bytes = terminated(s->text);
    if (!bytes)
        return 0;
    if (s->text_recheck ? !utf8_valid((const unsigned char *)bytes, s->text->length) : s->text_invalid)
        return 0;
    s->scratch->length = 0;
    return s->cb->json_string(s->cb, bytes, s->text->length, s->scratch, s->user);
}

static void *make_number(json_scanner *s)
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

/* true, false or null at p: makes the value and returns the word's length. */
static inline int make_word(json_scanner *s, const char *p, void **value)
{
    int n;
    if (*p != 't' && *p != 'f' && *p != 'n')
        return 0;
    if ((n = match_word(p, "true", 4))) {
        *value = s->cb->json_boolean(s->cb, 1, s->user);
    } else if ((n = match_word(p, "false", 5))) {
        *value = s->cb->json_boolean(s->cb, 0, s->user);
    } else if ((n = match_word(p, "null", 4))) {
        *value = s->cb->json_null(s->cb, s->user);
    }
    return n;
}

/* Opens a container: `object` chooses which. With `as_member` it is set under
 * the key, otherwise added to the array on top (or made the root when no
 * container is open). */
static void open_container(json_scanner *s, int object, int as_member)
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
        set_member(s, value);
    else
        add_element(s, value);
    if (!ptr_list_push(s->values, (intptr_t)value)) {
        if (value != s->root)
            release(s, value);
        s->stop = 1;
    }
}

static void close_container(json_scanner *s)
{
    pop_state(s);
    void *value = (void *)ptr_list_pop(s->values);
    empty_buffers(s);
    if (ptr_list_count(s->values) == 0) {
        s->stop = 1; /* the outermost value is complete */
        s->closed = 1;
    }
    else
        release(s, value);
}

/* Hexadecimal digit values plus one; 0 for any other byte. */
static const unsigned char hex_digits[256] = {
    ['0'] = 1, ['1'] = 2, ['2'] = 3, ['3'] = 4, ['4'] = 5, ['5'] = 6, ['6'] = 7, ['7'] = 8, ['8'] = 9, ['9'] = 10,
    ['a'] = 11, ['b'] = 12, ['c'] = 13, ['d'] = 14, ['e'] = 15, ['f'] = 16,
    ['A'] = 11, ['B'] = 12, ['C'] = 13, ['D'] = 14, ['E'] = 15, ['F'] = 16,
};

static inline int hex_value(unsigned char c)
{
    return hex_digits[c] - 1;
}

/* Reads the four characters after "\u" as up to four leading hex digits.
 * Sets *used to the characters the escape takes (at most four, fewer only
 * at the end of the text). */
static inline unsigned read_unit(const char *p, int *used)
{
    /* Four digits, nearly always; a byte that is no digit (the terminator
     * too) stops the test before the next one is read. */
    unsigned a, b, c, d;
    if ((a = hex_digits[(unsigned char)p[0]]) && (b = hex_digits[(unsigned char)p[1]]) &&
        (c = hex_digits[(unsigned char)p[2]]) && (d = hex_digits[(unsigned char)p[3]])) {
        *used = 4;
        return (a - 1) << 12 | (b - 1) << 8 | (c - 1) << 4 | (d - 1);
    }
    unsigned unit = 0;
    int digits = 1;
    int i = 0;
    for (; i < 4 && p[i]; i++) {
        int v = hex_value((unsigned char)p[i]);
        if (v < 0)
            digits = 0;
        if (digits)
            unit = unit << 4 | (unsigned)v;
    }
    *used = i;
    return unit & 0xFFFF;
}

/* p points after the backslash and the "u"; returns the bytes consumed. */
static int append_unit_escape(json_scanner *s, const char *p)
{
    int used;
    uint32_t c = read_unit(p, &used);
    int consumed = used;
    if (c >= 0xD800 && c <= 0xDFFF) {
        uint32_t low = 0;
        int next_used = 0;
        if (c <= 0xDBFF && used == 4 && p[4] == '\\' && (p[5] == 'u' || p[5] == 'U'))
            low = read_unit(p + 6, &next_used);
        if (next_used == 4 && low >= 0xDC00 && low <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            consumed += 6;
        } else {
            c = 0xFFFD; /* a lone half */
        }
    }
    /* Written in place: the call a copy of a few bytes takes would cost
     * more than the escape itself. */
    byte_buffer *text = s->text;
    if (text->capacity - text->length <= 4 && !byte_buffer_reserve(text, text->length + 5)) {
        s->stop = 1;
        return consumed;
    }
    unsigned char *out = text->data + text->length;
    if (c < 0x80) {
        out[0] = (unsigned char)c;
        text->length += 1;
    } else if (c < 0x800) {
        out[0] = (unsigned char)(0xC0 | c >> 6);
        out[1] = (unsigned char)(0x80 | (c & 0x3F));
        text->length += 2;
    } else if (c < 0x10000) {
        out[0] = (unsigned char)(0xE0 | c >> 12);
        out[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
        out[2] = (unsigned char)(0x80 | (c & 0x3F));
        text->length += 3;
    } else {
        out[0] = (unsigned char)(0xF0 | c >> 18);
        out[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
        out[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
        out[3] = (unsigned char)(0x80 | (c & 0x3F));
        text->length += 4;
    }
    return consumed;
}

/* The Member and Element string and number states: store the value read,
 * then return to the container's state. */
static void finish_scalar(json_scanner *s)
{
    int string = s->state == S_MEMBER_STRING || s->state == S_ELEMENT_STRING;
    void *value = string ? make_string(s) : make_number(s);
    if (s->state == S_MEMBER_STRING || s->state == S_MEMBER_NUMBER)
        set_member(s, value);
    else
        add_element(s, value);
    release(s, value);
    empty_buffers(s);
    pop_state(s);
}

/* A string or number that ended before byte p is stored as soon as p is
 * known to be a byte (not the end of the text), which is what the states
 * would do on reading it: text that ends right after a value still loses
 * it, as the dialect has it. */
static inline void finish_scalar_before(json_scanner *s, const char *p)
{
    if (*p && (s->state == S_MEMBER_STRING || s->state == S_MEMBER_NUMBER || s->state == S_ELEMENT_STRING ||
               s->state == S_ELEMENT_NUMBER))
        finish_scalar(s);
}

/* Bytes that end a run of plain string bytes: the terminator, the quote and
 * the backslash, and 0x80 and above, whose sequences are checked on the way.
 * Runs are checked four at a time; each check stops at the terminator, so
 * nothing past it is read. */
#define HIGH_16 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1
static const unsigned char string_stop[256] = {
    [0] = 1, ['"'] = 1, ['\\'] = 1,
    [0x80] = HIGH_16, HIGH_16, HIGH_16, HIGH_16, HIGH_16, HIGH_16, HIGH_16, HIGH_16,
};
#undef HIGH_16

/* The String state from p (inside the quotes); returns where scanning goes on. */
static const char *scan_string(json_scanner *s, const char *p)
{
    for (;;) {
        const char *run = p;
        for (;;) {
            while (!string_stop[(unsigned char)p[0]]) {
                if (string_stop[(unsigned char)p[1]]) {
                    p += 1;
                    break;
                }
                if (string_stop[(unsigned char)p[2]]) {
                    p += 2;
                    break;
                }
                if (string_stop[(unsigned char)p[3]]) {
                    p += 3;
                    break;
                }
                p += 4;
            }
            if ((unsigned char)*p < 0x80)
                break;
            /* A sequence cut by a quote, backslash or the end is invalid in
             * the whole text too, so checking runs one by one decides it. */
            p = (const char *)utf8_sequence((const unsigned char *)p, &s->text_invalid);
        }
        if (p > run && !append(s->text, run, (uint32_t)(p - run))) {
            s->stop = 1;
            return p;
        }
        if (*p == '"') {
            pop_state(s);
            finish_scalar_before(s, p + 1);
            return p + 1;
        }
        if (!*p)
            return p;
        /* A backslash. */
        char c = p[1];
        char out;
        switch (c) {
        case 0:
            return p + 1;
        case 'n': out = '\n'; break;
        case 'r': out = '\r'; break;
        case 't': out = '\t'; break;
        case 'u':
        case 'U':
            p += 2 + append_unit_escape(s, p + 2);
            if (s->stop)
                return p;
            continue;
        default:
            /* An escaped raw byte may complete or break a sequence of its
             * neighbours. */
            if ((unsigned char)c >= 0x80)
                s->text_recheck = 1;
            out = c;
            break;
        }
        if (!append(s->text, &out, 1)) {
            s->stop = 1;
            return p;
        }
        p += 2;
    }
}

void *json_scan(const json_callbacks *callbacks, const char *text, void *user_data)
{
    return json_scan_ending(callbacks, text, user_data, NULL);
}

void *json_scan_ending(const json_callbacks *callbacks, const char *text, void *user_data, int *closed)
{
    if (closed)
        *closed = 0;
    if (!callbacks || !text)
        return 0;
    json_scanner s = {0};
    s.cb = callbacks;
    s.user = user_data;
    s.states = ptr_list_create(20, 20);
    s.values = ptr_list_create(20, 20);
    s.key = byte_buffer_create(128, 256);
    s.text = byte_buffer_create(128, 256);
    s.scratch = byte_buffer_create(1024, 1024);
    if (!s.states || !s.values || !s.key || !s.text || !s.scratch)
        s.stop = 1;
    else
        push_state(&s, S_TOP);

    const char *p = text;
    /* A byte-order mark some servers put before the text is no value. */
    if ((unsigned char)p[0] == 0xEF && (unsigned char)p[1] == 0xBB && (unsigned char)p[2] == 0xBF)
        p += 3;
    /* Each pass handles the byte at p in the state on top of the stack. The
     * common steps go on to their next state directly (CONTINUE_AT), which
     * is what the next pass would do, without the switch's indirect jump. */
#define CONTINUE_AT(label)                                                                                             \
    do {                                                                                                               \
        if (s.stop || !*p)                                                                                             \
            goto next;                                                                                                 \
        c = (unsigned char)*p;                                                                                         \
        goto label;                                                                                                    \
    } while (0)
/* After a string or token: the state it returned to. */
#define CONTINUE_IN_CONTAINER()                                                                                        \
    do {                                                                                                               \
        if (s.state == S_OBJECT)                                                                                       \
            CONTINUE_AT(in_object);                                                                                    \
        if (s.state == S_ARRAY)                                                                                        \
            CONTINUE_AT(in_array);                                                                                     \
    } while (0)
    while (!s.stop && *p) {
        unsigned char c = (unsigned char)*p;
        void *value = 0;
        int n;
        switch (s.state) {
        case S_TOP:
            if (is_blank(c)) {
                p++;
            } else if (c == '{' || c == '[') {
                push_state(&s, c == '{' ? S_OBJECT : S_ARRAY);
                open_container(&s, c == '{', 0);
                p++;
            } else if (c == '"') {
                push_state(&s, S_TOP_STRING);
                push_state(&s, S_STRING);
                p++;
            } else if ((n = make_word(&s, p, &value))) {
                s.root = value;
                s.closed = 1;
                s.stop = 1;
            } else if (begins_number(c)) {
                push_state(&s, S_TOP_NUMBER);
                push_state(&s, S_TOKEN);
            } else {
                /* Not JSON (an HTML error page, say): no value at all. */
                s.stop = 1;
            }
            break;
        case S_TOP_STRING:
            s.root = make_string(&s);
            s.closed = 1;
            s.stop = 1;
            break;
        case S_TOP_NUMBER:
            s.root = make_number(&s);
            s.closed = 1;
            s.stop = 1;
            break;
        case S_OBJECT:
        in_object:
            if (is_blank(c) || c == ',') {
                p++;
                CONTINUE_AT(in_object);
            } else if (c == '"') {
                push_state(&s, S_KEY);
                p++;
                CONTINUE_AT(in_key);
            } else if (c == ':') {
                push_state(&s, S_VALUE);
                p++;
                CONTINUE_AT(in_value);
            } else if (c == '}') {
                close_container(&s);
                p++;
                CONTINUE_IN_CONTAINER();
            } else {
                if (!byte_buffer_append(s.key, p, 1))
                    s.stop = 1;
                s.key_high |= c >= 0x80;
                push_state(&s, S_KEY);
                p++;
                CONTINUE_AT(in_key);
            }
            break;
        case S_KEY:
        in_key:
            if (c == '\\' && p[1] == '"') {
                if (!byte_buffer_append(s.key, "\"", 1))
                    s.stop = 1;
                p += 2;
            } else if (c == '"') {
                /* The key is complete. Blanks and the colon after it are
                 * taken here, as Object would take them. */
                p++;
                while (is_blank((unsigned char)*p))
                    p++;
                if (*p == ':') {
                    replace_state(&s, S_VALUE);
                    p++;
                    CONTINUE_AT(in_value);
                }
                pop_state(&s);
                CONTINUE_AT(in_object);
            } else if (c == ':') {
                pop_state(&s);
                push_state(&s, S_VALUE);
                p++;
                CONTINUE_AT(in_value);
            } else {
                const char *run = p;
                s.key_high |= c >= 0x80;
                for (p++; !key_stop[(unsigned char)*p]; p++)
                    s.key_high |= (unsigned char)*p >= 0x80;
                if (!append(s.key, run, (uint32_t)(p - run)))
                    s.stop = 1;
            }
            CONTINUE_AT(in_key);
        case S_VALUE:
        in_value:
            if (is_blank(c)) {
                p++;
                CONTINUE_AT(in_value);
            } else if (c == '{' || c == '[') {
                replace_state(&s, c == '{' ? S_OBJECT : S_ARRAY);
                open_container(&s, c == '{', 1);
                empty_buffers(&s);
                p++;
                CONTINUE_IN_CONTAINER();
            } else if (c == '"') {
                replace_state(&s, S_MEMBER_STRING);
                push_state(&s, S_STRING);
                p++;
                CONTINUE_AT(in_string);
            } else if ((n = make_word(&s, p, &value))) {
                pop_state(&s);
                set_member(&s, value);
                release(&s, value);
                empty_buffers(&s);
                p += n;
                CONTINUE_AT(in_object);
            } else {
                replace_state(&s, S_MEMBER_NUMBER);
                push_state(&s, S_TOKEN);
                CONTINUE_AT(in_token);
            }
            break;
        case S_MEMBER_STRING:
        case S_MEMBER_NUMBER:
            finish_scalar(&s);
            CONTINUE_AT(in_object);
        case S_ARRAY:
        in_array:
            if (is_blank(c) || c == ',') {
                p++;
                CONTINUE_AT(in_array);
            } else if (c == ']') {
                close_container(&s);
                p++;
                CONTINUE_IN_CONTAINER();
            } else if (c == '{' || c == '[') {
                push_state(&s, S_ELEMENT_DONE);
                push_state(&s, c == '{' ? S_OBJECT : S_ARRAY);
                open_container(&s, c == '{', 0);
                p++;
                CONTINUE_IN_CONTAINER();
            } else if (c == '"') {
                push_state(&s, S_ELEMENT_STRING);
                push_state(&s, S_STRING);
                p++;
                CONTINUE_AT(in_string);
            } else if ((n = make_word(&s, p, &value))) {
                add_element(&s, value);
                release(&s, value);
                p += n;
                CONTINUE_AT(in_array);
            } else if (is_token(c)) {
                push_state(&s, S_ELEMENT_NUMBER);
                push_state(&s, S_TOKEN);
                CONTINUE_AT(in_token);
            } else {
                /* A byte that cannot begin a value: skipped, so that it is
                 * not met again forever. */
                p++;
                CONTINUE_AT(in_array);
            }
            break;
        case S_ELEMENT_DONE:
            empty_buffers(&s);
            pop_state(&s);
            CONTINUE_AT(in_array);
        case S_ELEMENT_STRING:
        case S_ELEMENT_NUMBER:
            finish_scalar(&s);
            CONTINUE_AT(in_array);
        case S_STRING:
        in_string:
            p = scan_string(&s, p);
            CONTINUE_IN_CONTAINER();
            break;
        case S_TOKEN:
        in_token:
            if (is_token(c)) {
                const char *run = p++;
                while (is_token((unsigned char)*p))
                    p++;
                if (!append(s.text, run, (uint32_t)(p - run)))
                    s.stop = 1;
                CONTINUE_AT(in_token);
            } else {
                pop_state(&s);
                finish_scalar_before(&s, p);
                CONTINUE_IN_CONTAINER();
            }
            break;
        default:
            s.stop = 1;
            break;
        }
    next:;
    }
#undef CONTINUE_IN_CONTAINER
#undef CONTINUE_AT

    if (closed)
        *closed = s.root && s.closed;
    /* Containers still open are already attached to the root. */
    while (ptr_list_count(s.values) > 0) {
        void *value = (void *)ptr_list_pop(s.values);
        if (value != s.root)
            release(&s, value);
    }
    ptr_list_free(s.states);
    ptr_list_free(s.values);
    byte_buffer_free(s.key);
    byte_buffer_free(s.text);
    byte_buffer_free(s.scratch);
    return s.root;
}
