#define _POSIX_C_SOURCE 200809L
#include "framework/util/text_helpers.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

static const char base64_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64_encode(const void *bytes, int64_t length, byte_buffer *buffer)
{
    if (!bytes || !buffer || length < 1)
        return 0;
    uint64_t groups = ((uint64_t)length + 2) / 3;
    uint64_t size = groups * 4 + (groups - 1) / 19;
    if (size > UINT32_MAX)
        return 0;
    uint32_t start = buffer->length;
    unsigned char *out = byte_buffer_append(buffer, NULL, 0);
    if (!out || !byte_buffer_reserve(buffer, start + (uint32_t)size + 1))
        return 0;
    out = buffer->data + start;

    const unsigned char *in = bytes;
    uint64_t whole = (uint64_t)length / 3;
    uint64_t group = 0;
    for (; group < whole; group++, in += 3) {
        if (group > 0 && group % 19 == 0)
            *out++ = '\n';
        uint32_t v = (uint32_t)in[0] << 16 | (uint32_t)in[1] << 8 | in[2];
        out[0] = base64_alphabet[v >> 18];
        out[1] = base64_alphabet[(v >> 12) & 63];
        out[2] = base64_alphabet[(v >> 6) & 63];
        out[3] = base64_alphabet[v & 63];
        out += 4;
    }
    uint64_t rest = (uint64_t)length % 3;
    if (rest > 0) {
        if (group > 0 && group % 19 == 0)
            *out++ = '\n';
        uint32_t v = (uint32_t)in[0] << 16 | (rest == 2 ? (uint32_t)in[1] << 8 : 0);
        out[0] = base64_alphabet[v >> 18];
        out[1] = base64_alphabet[(v >> 12) & 63];
        out[2] = rest == 2 ? base64_alphabet[(v >> 6) & 63] : '=';
        out[3] = '=';
        out += 4;
    }
    buffer->length = (uint32_t)(out - buffer->data);
    return 1;
}

/* 0..63 for the alphabet, 64 for "=", 255 for anything else. */
static unsigned char base64_value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return (unsigned char)(c - 'A');
    if (c >= 'a' && c <= 'z')
        return (unsigned char)(c - 'a' + 26);
    if (c >= '0' && c <= '9')
        return (unsigned char)(c - '0' + 52);
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    if (c == '=')
        return 64;
    return 255;
}

int base64_decode(const char *text, byte_buffer *buffer)
{
    if (!text || !buffer)
        return 0;
    const unsigned char *p = (const unsigned char *)text;
    for (;;) {
        while (*p == '\n' || *p == '\r' || *p == ' ' || *p == '\t')
            p++;
        if (!*p)
            return 1;
        uint32_t v = 0;
        int padding = 0;
        for (int i = 0; i < 4; i++) {
            unsigned char value = base64_value(p[i]); /* the NUL maps to 255 */
            if (value == 255)
                return 0;
            if (value == 64) {
                /* Padding only closes a group: "=" in its first two places,
                 * or a letter after "=", would misplace the bits. */
                if (i < 2)
                    return 0;
                padding++;
                value = 0;
            } else if (padding > 0) {
                return 0;
            }
            v = v << 6 | value;
        }
        p += 4;
        unsigned char bytes[3] = {(unsigned char)(v >> 16), (unsigned char)(v >> 8), (unsigned char)v};
        if (!byte_buffer_append(buffer, bytes, (uint32_t)(3 - padding)))
            return 0;
    }
}

int str_contains(const char *text, const char *needle)
{
    if (!text || !needle)
        return 0;
    return strstr(text, needle) != NULL;
}

uint32_t utf16_to_utf8(const uint16_t *units, uint32_t count, unsigned char *out)
{
    if (!units || !out)
        return 0;
    unsigned char *start = out;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            i++;
            *out++ = (unsigned char)(0xF0 | c >> 18);
            *out++ = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
            *out++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
            *out++ = (unsigned char)(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            *out++ = (unsigned char)c;
        } else if (c < 0x800) {
            *out++ = (unsigned char)(0xC0 | c >> 6);
            *out++ = (unsigned char)(0x80 | (c & 0x3F));
        } else {
            *out++ = (unsigned char)(0xE0 | c >> 12);
            *out++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
            *out++ = (unsigned char)(0x80 | (c & 0x3F));
        }
    }
    return (uint32_t)(out - start);
}

size_t http_date_format(int64_t seconds, char *out, size_t size)
{
    static const char days[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char months[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!out || size == 0)
        return 0;
    time_t t = (time_t)seconds;
    struct tm tm;
    if ((int64_t)t != seconds || !gmtime_r(&t, &tm) || tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 ||
        tm.tm_mon > 11) {
        out[0] = 0;
        return 0;
    }
    int n = snprintf(out, size, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[tm.tm_wday], tm.tm_mday,
                     months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    if (n < 0 || (size_t)n >= size) {
        out[0] = 0;
        return 0;
    }
    return (size_t)n;
}
