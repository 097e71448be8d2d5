#pragma once

/* RFC 1321 MD5. The lower-case digest text names resource cache files and
 * image cache keys. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct md5_context {
    uint32_t count[2]; /* message bits so far, low word first */
    uint32_t state[4];
    unsigned char buffer[64]; /* a block not yet processed */
} md5_context;

void md5_init(md5_context *context);
/* A length of 0 or less does nothing. */
void md5_update(md5_context *context, const void *bytes, int32_t length);
void md5_transform(md5_context *context, const unsigned char block[64]);
/* Pads, writes the digest and leaves the context to be initialised again. */
void md5_final(md5_context *context, unsigned char digest[16]);

/* The digest of `length` bytes as 32 lower-case hexadecimal digits and a
 * terminator. */
void md5_hex(const void *bytes, size_t length, char out[33]);

#ifdef __cplusplus
}
#endif
