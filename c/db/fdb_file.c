#define _GNU_SOURCE
#include "c/db/fdb_private.h"

#include <assert.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

_Static_assert(sizeof(_FDBProperty) == FDB_PROPERTY_SIZE, "descriptors are read as file bytes");
_Static_assert(sizeof(_FDBClass) == 12, "class header");
_Static_assert(sizeof(_FDBIndex) == 8, "index header");

/* ---- little-endian helpers ---- */

uint32_t fdb_le32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

uint64_t fdb_le64(const unsigned char *p)
{
    return (uint64_t)fdb_le32(p) | (uint64_t)fdb_le32(p + 4) << 32;
}

double fdb_le_double(const unsigned char *p)
{
    uint64_t bits = fdb_le64(p);
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}

/* Descriptors are read as raw file bytes; this puts the integer fields into
 * host order (a no-op on little-endian hosts). */
void fdb_fix_property(_FDBProperty *property)
{
    property->type = fdb_le32((const unsigned char *)&property->type);
    property->valueLength = fdb_le32((const unsigned char *)&property->valueLength);
    property->valueOffset = fdb_le32((const unsigned char *)&property->valueOffset);
}

/* ---- file access ---- */

int fdb_lock_fd(int fd, int operation)
{
    while (flock(fd, operation) != 0) {
        if (errno != EINTR)
            return -1;
    }
    return 0;
}

/* Reads up to `length` bytes at `offset`, stopping only at the end of the
 * file. Answers the bytes read, or -1 on failure. */
int64_t fdb_read_full(int fd, uint64_t offset, void *buffer, size_t length)
{
    if (offset > (uint64_t)INT64_MAX)
        return -1;
    size_t done = 0;
    while (done < length) {
        ssize_t n = pread(fd, (unsigned char *)buffer + done, length - done, (off_t)(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += (size_t)n;
    }
    return (int64_t)done;
}

int fdb_open_read(const char *path)
{
    int fd;
    do {
        fd = open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

/* A read under a shared lock, through the kept descriptor or a descriptor
 * opened for this read alone. */
int64_t fdb_locked_read(int keptFd, const char *path, uint64_t offset, void *buffer, size_t length)
{
    int fd = keptFd >= 0 ? keptFd : fdb_open_read(path);
    if (fd < 0)
        return -1;
    int64_t result = -1;
    if (fdb_lock_fd(fd, LOCK_SH) == 0) {
        result = fdb_read_full(fd, offset, buffer, length);
        flock(fd, LOCK_UN);
    }
    if (fd != keptFd)
        close(fd);
    return result;
}

int64_t fdb_file_size(int keptFd, const char *path)
{
    struct stat st;
    int rc = keptFd >= 0 ? fstat(keptFd, &st) : stat(path, &st);
    if (rc != 0 || st.st_size < 0)
        return -1;
    return (int64_t)st.st_size;
}

/* offset = base + size * n, refusing anything that does not fit a file offset. */
int fdb_data_offset(uint64_t base, uint64_t size, uint64_t n, uint64_t *offset)
{
    uint64_t product;
    if (__builtin_mul_overflow(size, n, &product) || __builtin_add_overflow(base, product, offset))
        return -1;
    return *offset <= (uint64_t)INT64_MAX ? 0 : -1;
}

/* ---- descriptor validation ---- */

int fdb_property_is_sound(const _FDBProperty *property, uint32_t containerSize)
{
    if (memchr(property->name, 0, sizeof property->name) == NULL)
        return 0;
    if ((uint64_t)property->valueOffset + property->valueLength > containerSize)
        return 0;
    switch (property->type) {
    case FDB_TYPE_INT32:
        return property->valueLength >= 4;
    case FDB_TYPE_INT64:
    case FDB_TYPE_DOUBLE:
    case FDB_TYPE_BLOB:
        return property->valueLength >= 8;
    case FDB_TYPE_STRING:
        return property->valueLength >= 1;
    default:
        return 1; /* unknown types read as the default */
    }
}

/* Opens `path`, checks the magic and reads the descriptor that follows the
 * 12-byte header. The stated descriptor size must be exactly the size that
 * its property count gives and must lie inside the file. */
unsigned char *fdb_read_descriptor(const char *path, const char magic[4], uint32_t fixedSize, int *fdOut,
                                      uint32_t *header, uint32_t *descriptorSize)
{
    int fd = fdb_open_read(path);
    if (fd < 0)
        return NULL;
    unsigned char head[FDB_HEADER_SIZE];
    unsigned char *descriptor = NULL;
    int64_t size = fdb_file_size(fd, path);
    if (size < FDB_HEADER_SIZE || fdb_locked_read(fd, path, 0, head, sizeof head) != (int64_t)sizeof head)
        goto fail;
    if (memcmp(head, magic, 4) != 0)
        goto fail;
    uint32_t stated = fdb_le32(head + 8);
    if (stated < fixedSize || (uint64_t)stated > (uint64_t)size - FDB_HEADER_SIZE)
        goto fail;
    descriptor = malloc(stated);
    if (descriptor == NULL || fdb_locked_read(fd, path, FDB_HEADER_SIZE, descriptor, stated) != (int64_t)stated)
        goto fail;
    uint32_t count = fdb_le32(descriptor + 4); /* the property count follows the size word */
    if ((uint64_t)fixedSize + (uint64_t)FDB_PROPERTY_SIZE * count != stated)
        goto fail;
    *fdOut = fd;
    *header = fdb_le32(head + 4);
    *descriptorSize = stated;
    return descriptor;
fail:
    free(descriptor);
    close(fd);
    return NULL;
}
