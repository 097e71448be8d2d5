/* The String state: a string's bytes, checked as UTF-8 on the way, and its
 * escapes. */

#include "framework/util/json_scanner.h"

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

/* A run of "\u" escapes from the backslash at p; returns the byte after the
 * last. The escapes of three-byte characters (the CJK text of most answers,
 * often written escaped whole) are written here at once, the others by
 * append_unit_escape. */
static const char *unit_escapes(json_scanner *s, const char *p)
{
    byte_buffer *text = s->text;
    do {
        unsigned a, b, c, d;
        /* A byte that is no digit (the terminator too) stops the test
         * before the next one is read. */
        if ((a = hex_digits[(unsigned char)p[2]]) && (b = hex_digits[(unsigned char)p[3]]) &&
            (c = hex_digits[(unsigned char)p[4]]) && (d = hex_digits[(unsigned char)p[5]])) {
            uint32_t unit = (a - 1) << 12 | (b - 1) << 8 | (c - 1) << 4 | (d - 1);
            if (unit >= 0x800 && (unit < 0xD800 || unit > 0xDFFF) && text->capacity - text->length > 4) {
                unsigned char *out = text->data + text->length;
                out[0] = (unsigned char)(0xE0 | unit >> 12);
                out[1] = (unsigned char)(0x80 | ((unit >> 6) & 0x3F));
                out[2] = (unsigned char)(0x80 | (unit & 0x3F));
                text->length += 3;
                p += 6;
                continue;
            }
        }
        p += 2 + append_unit_escape(s, p + 2);
        if (s->stop)
            return p;
    } while (p[0] == '\\' && (p[1] == 'u' || p[1] == 'U'));
    return p;
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

const char *json_scan_string(json_scanner *s, const char *p)
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
        if (c == 'u' || c == 'U') {
            p = unit_escapes(s, p);
            if (s->stop)
                return p;
            continue;
        }
        char out;
        switch (c) {
        case 0:
            return p + 1;
        case 'n': out = '\n'; break;
        case 'r': out = '\r'; break;
        case 't': out = '\t'; break;
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
