#include "framework/util/json_scan.h"

#include "framework/util/ptr_list.h"
#include "framework/util/text_helpers.h"

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
} json_scanner;

static int is_blank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static int is_token(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E' || c == 'x';
}

static int begins_number(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

static void push_state(json_scanner *s, int state)
{
    if (!ptr_list_push(s->states, state)) {
        s->stop = 1;
        return;
    }
    s->state = state;
}

static void pop_state(json_scanner *s)
{
    ptr_list_pop(s->states);
    s->state = (int)ptr_list_last(s->states);
}

static void replace_state(json_scanner *s, int state)
{
    s->states->entries[s->states->count - 1] = state;
    s->state = state;
}

static void empty_buffers(json_scanner *s)
{
    byte_buffer_clear(s->key);
    byte_buffer_clear(s->text);
}

static void release(json_scanner *s, void *value)
{
    if (value && s->cb->json_release)
        s->cb->json_release(s->cb, value, s->user);
}

static void *container(json_scanner *s)
{
    return (void *)ptr_list_last(s->values);
}

static void set_member(json_scanner *s, void *value)
{
    const char *key = byte_buffer_cstring(s->key);
    if (key)
        s->cb->json_set_member(s->cb, container(s), key, value, s->user);
}

static void add_element(json_scanner *s, void *value)
{
    if (value)
        s->cb->json_add_element(s->cb, container(s), value, s->user);
}

static void *make_string(json_scanner *s)
{
    const char *bytes = byte_buffer_cstring(s->text);
    if (!bytes)
        return 0;
    byte_buffer_clear(s->scratch);
    return s->cb->json_string(s->cb, bytes, s->text->length, s->scratch, s->user);
}

static void *make_number(json_scanner *s)
{
    const char *text = byte_buffer_cstring(s->text);
    return text ? s->cb->json_number(s->cb, text, s->user) : 0;
}

/* The length of `word` when the text begins with it, else 0. */
static int match_word(const char *p, const char *word, int length)
{
    return strncmp(p, word, (size_t)length) == 0 ? length : 0;
}

/* true, false or null at p: makes the value and returns the word's length. */
static int make_word(json_scanner *s, const char *p, void **value)
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
    if (ptr_list_count(s->values) == 0)
        s->stop = 1; /* the outermost value is complete */
    else
        release(s, value);
}

static int hex_value(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/* Reads the four characters after "\u" as up to four leading hex digits.
 * Sets *used to the characters the escape takes (at most four, fewer only
 * at the end of the text). */
static unsigned read_unit(const char *p, int *used)
{
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
    uint16_t units[2];
    units[0] = (uint16_t)read_unit(p, &used);
    int count = 1;
    int consumed = used;
    if (used == 4 && units[0] >= 0xD800 && units[0] <= 0xDBFF && p[4] == '\\' && (p[5] == 'u' || p[5] == 'U')) {
        int next_used;
        unsigned low = read_unit(p + 6, &next_used);
        if (next_used == 4 && low >= 0xDC00 && low <= 0xDFFF) {
            units[1] = (uint16_t)low;
            count = 2;
            consumed += 6;
        }
    }
    unsigned char out[6];
    uint32_t n = utf16_to_utf8(units, (uint32_t)count, out);
    if (!byte_buffer_append(s->text, out, n))
        s->stop = 1;
    return consumed;
}

/* The String state from p (inside the quotes); returns where scanning goes on. */
static const char *scan_string(json_scanner *s, const char *p)
{
    for (;;) {
        const char *run = p;
        while (*p && *p != '"' && *p != '\\')
            p++;
        if (p > run && !byte_buffer_append(s->text, run, (uint32_t)(p - run))) {
            s->stop = 1;
            return p;
        }
        if (*p == '"') {
            pop_state(s);
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
        default: out = c; break;
        }
        if (!byte_buffer_append(s->text, &out, 1)) {
            s->stop = 1;
            return p;
        }
        p += 2;
    }
}

void *json_scan(const json_callbacks *callbacks, const char *text, void *user_data)
{
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
            s.stop = 1;
            break;
        case S_TOP_NUMBER:
            s.root = make_number(&s);
            s.stop = 1;
            break;
        case S_OBJECT:
            if (is_blank(c) || c == ',') {
                p++;
            } else if (c == '"') {
                push_state(&s, S_KEY);
                p++;
            } else if (c == ':') {
                push_state(&s, S_VALUE);
                p++;
            } else if (c == '}') {
                close_container(&s);
                p++;
            } else {
                if (!byte_buffer_append(s.key, p, 1))
                    s.stop = 1;
                push_state(&s, S_KEY);
                p++;
            }
            break;
        case S_KEY:
            if (c == '\\' && p[1] == '"') {
                if (!byte_buffer_append(s.key, "\"", 1))
                    s.stop = 1;
                p += 2;
            } else if (c == '"') {
                pop_state(&s);
                p++;
            } else if (c == ':') {
                pop_state(&s);
                push_state(&s, S_VALUE);
                p++;
            } else {
                const char *run = p++;
                while (*p && *p != '\\' && *p != '"' && *p != ':')
                    p++;
                if (!byte_buffer_append(s.key, run, (uint32_t)(p - run)))
                    s.stop = 1;
            }
            break;
        case S_VALUE:
            if (is_blank(c)) {
                p++;
            } else if (c == '{' || c == '[') {
                replace_state(&s, c == '{' ? S_OBJECT : S_ARRAY);
                open_container(&s, c == '{', 1);
                empty_buffers(&s);
                p++;
            } else if (c == '"') {
                replace_state(&s, S_MEMBER_STRING);
                push_state(&s, S_STRING);
                p++;
            } else if ((n = make_word(&s, p, &value))) {
                pop_state(&s);
                set_member(&s, value);
                release(&s, value);
                empty_buffers(&s);
                p += n;
            } else {
                replace_state(&s, S_MEMBER_NUMBER);
                push_state(&s, S_TOKEN);
            }
            break;
        case S_MEMBER_STRING:
        case S_MEMBER_NUMBER:
            value = s.state == S_MEMBER_STRING ? make_string(&s) : make_number(&s);
            set_member(&s, value);
            release(&s, value);
            empty_buffers(&s);
            pop_state(&s);
            break;
        case S_ARRAY:
            if (is_blank(c) || c == ',') {
                p++;
            } else if (c == ']') {
                close_container(&s);
                p++;
            } else if (c == '{' || c == '[') {
                push_state(&s, S_ELEMENT_DONE);
                push_state(&s, c == '{' ? S_OBJECT : S_ARRAY);
                open_container(&s, c == '{', 0);
                p++;
            } else if (c == '"') {
                push_state(&s, S_ELEMENT_STRING);
                push_state(&s, S_STRING);
                p++;
            } else if ((n = make_word(&s, p, &value))) {
                add_element(&s, value);
                release(&s, value);
                p += n;
            } else if (is_token(c)) {
                push_state(&s, S_ELEMENT_NUMBER);
                push_state(&s, S_TOKEN);
            } else {
                /* A byte that cannot begin a value: skipped, so that it is
                 * not met again forever. */
                p++;
            }
            break;
        case S_ELEMENT_DONE:
            empty_buffers(&s);
            pop_state(&s);
            break;
        case S_ELEMENT_STRING:
        case S_ELEMENT_NUMBER:
            value = s.state == S_ELEMENT_STRING ? make_string(&s) : make_number(&s);
            add_element(&s, value);
            release(&s, value);
            empty_buffers(&s);
            pop_state(&s);
            break;
        case S_STRING:
            p = scan_string(&s, p);
            break;
        case S_TOKEN:
            if (is_token(c)) {
                const char *run = p++;
                while (is_token((unsigned char)*p))
                    p++;
                if (!byte_buffer_append(s.text, run, (uint32_t)(p - run)))
                    s.stop = 1;
            } else {
                pop_state(&s);
            }
            break;
        default:
            s.stop = 1;
            break;
        }
    }

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
