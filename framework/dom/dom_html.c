#include "framework/dom/dom_html.h"

#include "framework/util/byte_buffer.h"
#include "framework/util/item_array.h"

#include <stdint.h>
#include <string.h>

/* Offsets of one finished attribute's name and value in the string pool. */
typedef struct attribute_pair {
    uint32_t name;
    uint32_t value;
} attribute_pair;

/* Working state of one parse, shared by all nesting levels. */
typedef struct parse_state {
    dom_html_callbacks *table;
    void *user;
    byte_buffer *name;
    byte_buffer *ns;
    byte_buffer *text;
    byte_buffer *attr_name;
    byte_buffer *attr_value;
    byte_buffer *pool;
    item_array *attributes;
    int failed;
} parse_state;

enum report_kind { REPORT_EMPTY, REPORT_OPENED };

/* Bytes that end a run of ordinary text, and of a quoted attribute value. */
static const unsigned char text_special[256] = {
    [0] = 1, ['<'] = 1, ['&'] = 1, ['\\'] = 1, [' '] = 1, ['\t'] = 1, ['\r'] = 1, ['\n'] = 1,
};
static const unsigned char quoted_special[256] = {[0] = 1, ['\\'] = 1, ['"'] = 1, ['\''] = 1};

static int is_blank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static unsigned char fold(int mode, unsigned char c)
{
    if (mode == DOM_HTML_CASE_UPPER && c >= 'a' && c <= 'z')
        return (unsigned char)(c - 'a' + 'A');
    if (mode == DOM_HTML_CASE_LOWER && c >= 'A' && c <= 'Z')
        return (unsigned char)(c - 'A' + 'a');
    return c;
}

static void put(parse_state *s, byte_buffer *buffer, unsigned char c)
{
    if (!byte_buffer_append(buffer, &c, 1))
        s->failed = 1;
}

static void put_run(parse_state *s, byte_buffer *buffer, const char *bytes, size_t count)
{
    if (count > 0 && !byte_buffer_append(buffer, bytes, (uint32_t)count))
        s->failed = 1;
}

static const char *cstr(byte_buffer *buffer)
{
    const char *text = byte_buffer_cstring(buffer);
    return text ? text : "";
}

static void clear_all(parse_state *s)
{
    byte_buffer_clear(s->name);
    byte_buffer_clear(s->ns);
    byte_buffer_clear(s->text);
    byte_buffer_clear(s->attr_name);
    byte_buffer_clear(s->attr_value);
    byte_buffer_clear(s->pool);
    item_array_clear(s->attributes);
}

static void flush_text(parse_state *s, void *parent)
{
    dom_html_callbacks *t = s->table;
    if (s->failed || byte_buffer_length(s->text) == 0)
        return;
    if (t->is_empty(t, parent, s->user)) {
        t->set_text(t, parent, cstr(s->text), s->user);
    } else {
        void *run = t->new_element(t, "_text", "", s->user);
        if (!run) {
            s->failed = 1;
            return;
        }
        t->set_text(t, run, cstr(s->text), s->user);
        t->add_child(t, parent, run, s->user);
        t->release(t, run, s->user);
    }
    clear_all(s);
}

static uint32_t pool_add(parse_state *s, byte_buffer *from)
{
    uint32_t offset = byte_buffer_length(s->pool);
    put_run(s, s->pool, (const char *)byte_buffer_data(from), byte_buffer_length(from));
    put(s, s->pool, 0);
    return offset;
}

static void finish_attribute(parse_state *s)
{
    attribute_pair pair;
    pair.name = pool_add(s, s->attr_name);
    pair.value = pool_add(s, s->attr_value);
    if (!item_array_append(s->attributes, &pair))
        s->failed = 1;
    byte_buffer_clear(s->attr_name);
    byte_buffer_clear(s->attr_value);
}

/* After an opened element without a body: skips blanks and a closing tag of
 * the same (prefixed) name. Returns where parsing goes on. */
static const char *skip_own_closing_tag(parse_state *s, const char *p)
{
    int mode = s->table->case_mode;
    const char *q = p;
    while (is_blank((unsigned char)*q))
        q++;
    if (q[0] != '<' || q[1] != '/')
        return p;
    q += 2;
    const char *parts[2] = {cstr(s->ns), cstr(s->name)};
    for (int i = 0; i < 2; i++) {
        const char *want = parts[i];
        if (i == 0 && !*want)
            continue;
        for (; *want; want++, q++) {
            if (!*q || fold(mode, (unsigned char)*q) != (unsigned char)*want)
                return p;
        }
        if (i == 0) {
            if (*q != ':')
                return p;
            q++;
        }
    }
    return *q == '>' ? q + 1 : p;
}

static const char *parse_level(parse_state *s, const char *p, void *parent, int depth);

static const char *report(parse_state *s, const char *p, void *parent, int depth, enum report_kind kind)
{
    dom_html_callbacks *t = s->table;
    if (s->failed)
        return p;
    void *element = t->new_element(t, cstr(s->name), cstr(s->ns), s->user);
    if (!element) {
        s->failed = 1;
        return p;
    }
    const char *pool = (const char *)byte_buffer_data(s->pool);
    uint32_t count = item_array_count(s->attributes);
    if (count && t->will_set_attributes)
        t->will_set_attributes(t, element, count, s->user);
    for (uint32_t i = 0; i < count; i++) {
        const attribute_pair *pair = item_array_at(s->attributes, i);
        t->set_attribute(t, element, pool + pair->name, pool + pair->value, s->user);
    }
    t->add_child(t, parent, element, s->user);
    if (kind == REPORT_OPENED) {
        if (t->has_body(t, cstr(s->name), cstr(s->ns), s->user)) {
            if (depth + 1 > DOM_HTML_MAX_DEPTH) {
                s->failed = 1;
            } else {
                clear_all(s);
                p = parse_level(s, p, element, depth + 1);
            }
        } else {
            p = skip_own_closing_tag(s, p);
        }
    }
    t->release(t, element, s->user);
    clear_all(s);
    return p;
}

enum tag_state { TAG_NAME, PREFIXED_NAME, ATTR_GAP, ATTR_NAME, ATTR_VALUE };

/* `p` is just after the "<" of an opening tag. */
static const char *parse_tag(parse_state *s, const char *p, void *parent, int depth)
{
    int mode = s->table->case_mode;
    enum tag_state state = TAG_NAME;
    for (;;) {
        unsigned char c = (unsigned char)*p;
        if (c == 0) {
            /* The input ends inside the tag: it is dropped unreported. */
            s->failed = 1;
            return p;
        }
        int ends_empty = c == '/' && p[1] == '>';
        switch (state) {
        case TAG_NAME:
        case PREFIXED_NAME:
            if (ends_empty)
                return report(s, p + 2, parent, depth, REPORT_EMPTY);
            if (c == '>')
                return report(s, p + 1, parent, depth, REPORT_OPENED);
            if (c == ':' && state == TAG_NAME) {
                put_run(s, s->ns, (const char *)byte_buffer_data(s->name), byte_buffer_length(s->name));
                byte_buffer_clear(s->name);
                state = PREFIXED_NAME;
            } else if (is_blank(c)) {
                state = ATTR_GAP;
            } else {
                put(s, s->name, fold(mode, c));
            }
            p++;
            break;
        case ATTR_GAP:
            if (ends_empty)
                return report(s, p + 2, parent, depth, REPORT_EMPTY);
            if (c == '>')
                return report(s, p + 1, parent, depth, REPORT_OPENED);
            if (!is_blank(c)) {
                put(s, s->attr_name, fold(mode, c));
                state = ATTR_NAME;
            }
            p++;
            break;
        case ATTR_NAME:
            if (ends_empty || c == '>') {
                finish_attribute(s);
                return ends_empty ? report(s, p + 2, parent, depth, REPORT_EMPTY)
                                  : report(s, p + 1, parent, depth, REPORT_OPENED);
            }
            if (c == '=')
                state = ATTR_VALUE;
            else
                put(s, s->attr_name, fold(mode, c));
            p++;
            break;
        case ATTR_VALUE:
            if (is_blank(c)) {
                p++;
                break;
            }
            if (ends_empty || c == '>') {
                finish_attribute(s);
                return ends_empty ? report(s, p + 2, parent, depth, REPORT_EMPTY)
                                  : report(s, p + 1, parent, depth, REPORT_OPENED);
            }
            if (c == '"' || c == '\'') {
                p++;
                for (;;) {
                    const char *run = p;
                    while (!quoted_special[(unsigned char)*p])
                        p++;
                    put_run(s, s->attr_value, run, (size_t)(p - run));
                    if (*p == 0 || (*p == '\\' && p[1] == 0)) {
                        s->failed = 1;
                        return p;
                    }
                    if (*p == '\\') {
                        put(s, s->attr_value, (unsigned char)p[1]);
                        p += 2;
                    } else if ((unsigned char)*p == c) {
                        p++;
                        break;
                    } else {
                        put(s, s->attr_value, (unsigned char)*p++);
                    }
                }
            } else {
                for (;;) {
                    unsigned char v = (unsigned char)*p;
                    if (v == 0 || is_blank(v) || v == '<' || v == '>' || v == '/')
                        break;
                    if (v == '\\') {
                        if (p[1] == 0) {
                            s->failed = 1;
                            return p + 1;
                        }
                        put(s, s->attr_value, (unsigned char)p[1]);
                        p += 2;
                    } else {
                        put(s, s->attr_value, v);
                        p++;
                    }
                }
            }
            finish_attribute(s);
            state = ATTR_GAP;
            break;
        }
    }
}

/* Reads text and elements into `parent` until its closing tag (returns the
 * position after the ">") or the end of input (returns the NUL position). */
static const char *parse_level(parse_state *s, const char *p, void *parent, int depth)
{
    for (;;) {
        if (s->failed)
            return p;
        unsigned char c = (unsigned char)*p;
        if (c == 0) {
            flush_text(s, parent);
            return p;
        }
        if (c == '<') {
            if (p[1] == '/') {
                flush_text(s, parent);
                const char *end = strchr(p + 2, '>');
                if (!end) {
                    s->failed = 1;
                    return p + strlen(p);
                }
                /* At the outermost level nothing is open: a stray closing
                 * tag stops the parse, even as the last thing in the text. */
                if (depth == 0)
                    s->failed = 1;
                return end + 1;
            }
            if (p[1] == '!' && p[2] == '-' && p[3] == '-') {
                /* Text on both sides of a comment joins into one run. */
                const char *end = strstr(p + 4, "-->");
                if (!end) {
                    /* The text before it is kept; the parse still fails. */
                    flush_text(s, parent);
                    s->failed = 1;
                    return p + strlen(p);
                }
                p = end + 3;
                continue;
            }
            flush_text(s, parent);
            p = parse_tag(s, p + 1, parent, depth);
            continue;
        }
        if (c == '&') {
            if (strncmp(p + 1, "nbsp;", 5) == 0) {
                put(s, s->text, ' ');
                p += 6;
            } else if (strncmp(p + 1, "gt;", 3) == 0) {
                put(s, s->text, '>');
                p += 4;
            } else if (strncmp(p + 1, "lt;", 3) == 0) {
                put(s, s->text, '<');
                p += 4;
            } else if (strncmp(p + 1, "quot;", 5) == 0) {
                put(s, s->text, '"');
                p += 6;
            } else {
                put(s, s->text, '&');
                p++;
            }
            continue;
        }
        if (is_blank(c)) {
            /* Blanks never reach element text; a visible space is "&nbsp;". */
            p++;
            continue;
        }
        if (c == '\\') {
            unsigned char e = (unsigned char)p[1];
            if (e == 0) {
                s->failed = 1;
                return p + 1;
            }
            put(s, s->text, e == 'n' ? '\n' : e == 't' ? '\t' : e);
            p += 2;
            continue;
        }
        const char *run = p;
        while (!text_special[(unsigned char)*p])
            p++;
        put_run(s, s->text, run, (size_t)(p - run));
    }
}

int dom_html_parse(dom_html_callbacks *table, const char *text, void *parent, void *user)
{
    if (!table || !text)
        return 0;
    parse_state s;
    memset(&s, 0, sizeof s);
    s.table = table;
    s.user = user;
    s.name = byte_buffer_create(128, 32);
    s.ns = byte_buffer_create(128, 32);
    s.text = byte_buffer_create(128, 128);
    s.attr_name = byte_buffer_create(128, 32);
    s.attr_value = byte_buffer_create(128, 128);
    s.pool = byte_buffer_create(256, 256);
    s.attributes = item_array_create((int32_t)sizeof(attribute_pair), 0);
    int ok = 0;
    if (s.name && s.ns && s.text && s.attr_name && s.attr_value && s.pool && s.attributes &&
        item_array_reserve(s.attributes, 20 * sizeof(attribute_pair))) {
        const char *end = parse_level(&s, text, parent, 0);
        ok = !s.failed && *end == 0;
    }
    byte_buffer_free(s.name);
    byte_buffer_free(s.ns);
    byte_buffer_free(s.text);
    byte_buffer_free(s.attr_name);
    byte_buffer_free(s.attr_value);
    byte_buffer_free(s.pool);
    item_array_free(s.attributes);
    return ok;
}
