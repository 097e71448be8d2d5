/* The scanner's state machine over the text's structure: containers, keys,
 * numbers and words. Strings are read by json_scan_string.c, values made and
 * stored by json_scan_values.c. */

#include "framework/util/json_scanner.h"

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

static int begins_number(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
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
                json_open_container(&s, c == '{', 0);
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
            s.root = json_make_string(&s);
            s.closed = 1;
            s.stop = 1;
            break;
        case S_TOP_NUMBER:
            s.root = json_make_number(&s);
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
                json_close_container(&s);
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
                json_open_container(&s, c == '{', 1);
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
                json_set_member_value(&s, value);
                json_release_value(&s, value);
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
            json_finish_scalar(&s);
            CONTINUE_AT(in_object);
        case S_ARRAY:
        in_array:
            if (is_blank(c) || c == ',') {
                p++;
                CONTINUE_AT(in_array);
            } else if (c == ']') {
                json_close_container(&s);
                p++;
                CONTINUE_IN_CONTAINER();
            } else if (c == '{' || c == '[') {
                push_state(&s, S_ELEMENT_DONE);
                push_state(&s, c == '{' ? S_OBJECT : S_ARRAY);
                json_open_container(&s, c == '{', 0);
                p++;
                CONTINUE_IN_CONTAINER();
            } else if (c == '"') {
                push_state(&s, S_ELEMENT_STRING);
                push_state(&s, S_STRING);
                p++;
                CONTINUE_AT(in_string);
            } else if ((n = make_word(&s, p, &value))) {
                json_add_element_value(&s, value);
                json_release_value(&s, value);
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
            json_finish_scalar(&s);
            CONTINUE_AT(in_array);
        case S_STRING:
        in_string:
            p = json_scan_string(&s, p);
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
            json_release_value(&s, value);
    }
    ptr_list_free(s.states);
    ptr_list_free(s.values);
    byte_buffer_free(s.key);
    byte_buffer_free(s.text);
    byte_buffer_free(s.scratch);
    return s.root;
}
