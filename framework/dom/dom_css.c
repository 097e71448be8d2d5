#include "framework/dom/dom_css.h"

#include "framework/util/byte_buffer.h"

#include <string.h>

enum css_state { BETWEEN, LINE_COMMENT, BLOCK_COMMENT, SELECTOR, KEY, AFTER_COLON, VALUE };

static int is_blank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static const char *cstr(byte_buffer *buffer)
{
    const char *text = byte_buffer_cstring(buffer);
    return text ? text : "";
}

int dom_css_parse(dom_css_callbacks *t, const char *text, void *sheet, void *user)
{
    if (!t || !text)
        return 0;
    byte_buffer *selector = byte_buffer_create(128, 128);
    byte_buffer *key = byte_buffer_create(128, 128);
    byte_buffer *value = byte_buffer_create(128, 128);
    if (!selector || !key || !value) {
        byte_buffer_free(selector);
        byte_buffer_free(key);
        byte_buffer_free(value);
        return 0;
    }

    enum css_state state = BETWEEN;
    void *style = NULL;
    int in_rule = 0; /* a style was asked for (it may be NULL) */
    int ok = 1;
    const char *p = text;
    for (;;) {
        unsigned char c = (unsigned char)*p;
        if (c == 0)
            break;
        switch (state) {
        case BETWEEN:
            if (c == '/' && p[1] == '/') {
                state = LINE_COMMENT;
                p += 2;
                continue;
            }
            if (c == '/' && p[1] == '*') {
                state = BLOCK_COMMENT;
                p += 2;
                continue;
            }
            if (!is_blank(c)) {
                byte_buffer_clear(selector);
                if (!byte_buffer_append(selector, &c, 1))
                    ok = 0;
                state = SELECTOR;
            }
            break;
        case LINE_COMMENT:
            if (c == '\n')
                state = BETWEEN;
            break;
        case BLOCK_COMMENT:
            if (c == '*' && p[1] == '/') {
                state = BETWEEN;
                p += 2;
                continue;
            }
            break;
        case SELECTOR:
            if (c == '{') {
                style = t->new_style(t, cstr(selector), user);
                in_rule = 1;
                byte_buffer_clear(key);
                byte_buffer_clear(value);
                state = KEY;
            } else if (!is_blank(c) && !byte_buffer_append(selector, &c, 1)) {
                ok = 0;
            }
            break;
        case KEY:
            if (c == ':') {
                state = AFTER_COLON;
            } else if (c == '}') {
                if (style) {
                    t->add_style(t, sheet, style, user);
                    t->release(t, style, user);
                }
                style = NULL;
                in_rule = 0;
                state = BETWEEN;
            } else if (!is_blank(c) && !byte_buffer_append(key, &c, 1)) {
                ok = 0;
            }
            break;
        case AFTER_COLON:
            if (is_blank(c))
                break;
            state = VALUE;
            continue; /* the byte is the value's first */
        case VALUE:
            if (c == ';' || c == '}') {
                if (style)
                    t->set_value(t, style, cstr(key), cstr(value), user);
                byte_buffer_clear(key);
                byte_buffer_clear(value);
                state = KEY;
                if (c == '}')
                    continue; /* ends the rule in KEY */
            } else if (!byte_buffer_append(value, &c, 1)) {
                ok = 0;
            }
            break;
        }
        p++;
    }

    if (state != BETWEEN && state != LINE_COMMENT)
        ok = 0;
    if (in_rule && style)
        t->release(t, style, user);
    byte_buffer_free(selector);
    byte_buffer_free(key);
    byte_buffer_free(value);
    return ok;
}
