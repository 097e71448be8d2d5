#define _GNU_SOURCE
#include "c/db/fdb.h"

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

#define FDB_HEADER_SIZE 12
#define FDB_BLOB_CACHE_MIN 102400u
/* Records and index items are small fixed-size rows (large values live in
 * blobs); a larger stated size is a damaged file, and would make every
 * cursor buffer of it enormous. */
#define FDB_MAX_ITEM_SIZE (1u << 20)

_Static_assert(sizeof(_FDBProperty) == FDB_PROPERTY_SIZE, "descriptors are read as file bytes");
_Static_assert(sizeof(_FDBClass) == 12, "class header");
_Static_assert(sizeof(_FDBIndex) == 8, "index header");

/* Private state behind the public part of each handle. */
typedef struct FDBHandle {
    _FDB pub;
    int ownsClass;
    char dbPath[FDB_PATH_SIZE];
    char blobPath[FDB_PATH_SIZE];
    unsigned char *blobCache;
    uint32_t blobCapacity;
    uint32_t blobFilled;
    uint64_t blobStart;
    int dbFd;
    int blobFd;
} FDBHandle;

typedef struct FDBIndexHandle {
    _FDBIndexDB pub;
    char path[FDB_PATH_SIZE];
    int fd;
} FDBIndexHandle;

/* ---- little-endian helpers ---- */

static uint32_t le32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static uint64_t le64(const unsigned char *p)
{
    return (uint64_t)le32(p) | (uint64_t)le32(p + 4) << 32;
}

static double le_double(const unsigned char *p)
{
    uint64_t bits = le64(p);
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}

/* Descriptors are read as raw file bytes; this puts the integer fields into
 * host order (a no-op on little-endian hosts). */
static void fix_property(_FDBProperty *property)
{
    property->type = le32((const unsigned char *)&property->type);
    property->valueLength = le32((const unsigned char *)&property->valueLength);
    property->valueOffset = le32((const unsigned char *)&property->valueOffset);
}

/* ---- file access ---- */

static int lock_fd(int fd, int operation)
{
    while (flock(fd, operation) != 0) {
        if (errno != EINTR)
            return -1;
    }
    return 0;
}

/* Reads up to `length` bytes at `offset`, stopping only at the end of the
 * file. Answers the bytes read, or -1 on failure. */
static int64_t read_full(int fd, uint64_t offset, void *buffer, size_t length)
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

static int open_read(const char *path)
{
    int fd;
    do {
        fd = open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

/* A read under a shared lock, through the kept descriptor or a descriptor
 * opened for this read alone. */
static int64_t locked_read(int keptFd, const char *path, uint64_t offset, void *buffer, size_t length)
{
    int fd = keptFd >= 0 ? keptFd : open_read(path);
    if (fd < 0)
        return -1;
    int64_t result = -1;
    if (lock_fd(fd, LOCK_SH) == 0) {
        result = read_full(fd, offset, buffer, length);
        flock(fd, LOCK_UN);
    }
    if (fd != keptFd)
        close(fd);
    return result;
}

static int64_t file_size(int keptFd, const char *path)
{
    struct stat st;
    int rc = keptFd >= 0 ? fstat(keptFd, &st) : stat(path, &st);
    if (rc != 0 || st.st_size < 0)
        return -1;
    return (int64_t)st.st_size;
}

/* offset = base + size * n, refusing anything that does not fit a file offset. */
static int data_offset(uint64_t base, uint64_t size, uint64_t n, uint64_t *offset)
{
    uint64_t product;
    if (__builtin_mul_overflow(size, n, &product) || __builtin_add_overflow(base, product, offset))
        return -1;
    return *offset <= (uint64_t)INT64_MAX ? 0 : -1;
}

/* ---- descriptor validation ---- */

static int property_is_sound(const _FDBProperty *property, uint32_t containerSize)
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
static unsigned char *read_descriptor(const char *path, const char magic[4], uint32_t fixedSize, int *fdOut,
                                      uint32_t *header, uint32_t *descriptorSize)
{
    int fd = open_read(path);
    if (fd < 0)
        return NULL;
    unsigned char head[FDB_HEADER_SIZE];
    unsigned char *descriptor = NULL;
    int64_t size = file_size(fd, path);
    if (size < FDB_HEADER_SIZE || locked_read(fd, path, 0, head, sizeof head) != (int64_t)sizeof head)
        goto fail;
    if (memcmp(head, magic, 4) != 0)
        goto fail;
    uint32_t stated = le32(head + 8);
    if (stated < fixedSize || (uint64_t)stated > (uint64_t)size - FDB_HEADER_SIZE)
        goto fail;
    descriptor = malloc(stated);
    if (descriptor == NULL || locked_read(fd, path, FDB_HEADER_SIZE, descriptor, stated) != (int64_t)stated)
        goto fail;
    uint32_t count = le32(descriptor + 4); /* the property count follows the size word */
    if ((uint64_t)fixedSize + (uint64_t)FDB_PROPERTY_SIZE * count != stated)
        goto fail;
    *fdOut = fd;
    *header = le32(head + 4);
    *descriptorSize = stated;
    return descriptor;
fail:
    free(descriptor);
    close(fd);
    return NULL;
}

/* ---- record files ---- */

_FDB *FDBOpen(const char *basePath)
{
    if (basePath == NULL)
        return NULL;
    FDBHandle *h = calloc(1, sizeof *h);
    if (h == NULL)
        return NULL;
    h->dbFd = -1;
    h->blobFd = -1;
    int n1 = snprintf(h->dbPath, sizeof h->dbPath, "%s.db", basePath);
    int n2 = snprintf(h->blobPath, sizeof h->blobPath, "%s.bob", basePath);
    if (n1 < 0 || n1 >= (int)sizeof h->dbPath || n2 < 0 || n2 >= (int)sizeof h->blobPath) {
        free(h);
        return NULL;
    }
    uint32_t size = 0;
    unsigned char *raw = read_descriptor(h->dbPath, "FDB", 12, &h->dbFd, &h->pub.header, &size);
    if (raw == NULL) {
        free(h);
        return NULL;
    }
    _FDBClass *cls = (_FDBClass *)raw;
    cls->recordSize = le32(raw);
    cls->propertyCount = le32(raw + 4);
    cls->reserved = (int32_t)le32(raw + 8);
    int sound = cls->recordSize > 0 && cls->recordSize <= FDB_MAX_ITEM_SIZE;
    for (uint32_t i = 0; sound && i < cls->propertyCount; ++i) {
        fix_property(&cls->properties[i]);
        sound = property_is_sound(&cls->properties[i], cls->recordSize);
    }
    if (!sound) {
        free(raw);
        close(h->dbFd);
        free(h);
        return NULL;
    }
    h->pub.dbClass = cls;
    h->pub.count = -1;
    h->ownsClass = 1;
    h->blobFd = open_read(h->blobPath); /* -1 when there is no blob file */
    return &h->pub;
}

void FDBClose(_FDB *db)
{
    if (db == NULL)
        return;
    FDBHandle *h = (FDBHandle *)db;
    if (h->dbFd >= 0)
        close(h->dbFd);
    if (h->blobFd >= 0)
        close(h->blobFd);
    if (h->ownsClass)
        free(h->pub.dbClass);
    free(h->blobCache);
    free(h);
}

int64_t FDBRowCount(_FDB *db)
{
    FDBHandle *h = (FDBHandle *)db;
    if (db->count < 0) {
        int64_t size = file_size(h->dbFd, h->dbPath);
        uint64_t start = FDB_HEADER_SIZE + (uint64_t)FDBClassSize(db->dbClass);
        int64_t count = 0;
        if (size >= 0 && (uint64_t)size > start)
            count = (int64_t)(((uint64_t)size - start) / db->dbClass->recordSize);
        /* Cursors address rows with 32-bit positions. */
        db->count = count > (int64_t)UINT32_MAX ? (int64_t)UINT32_MAX : count;
    }
    return db->count;
}

uint32_t FDBClassSize(const _FDBClass *dbClass)
{
    return 12 + FDB_PROPERTY_SIZE * dbClass->propertyCount;
}

const _FDBProperty *FDBClassGetProperty(const _FDBClass *dbClass, const char *name)
{
    if (dbClass == NULL || name == NULL)
        return NULL;
    for (uint32_t i = 0; i < dbClass->propertyCount; ++i) {
        if (strcmp(dbClass->properties[i].name, name) == 0)
            return &dbClass->properties[i];
    }
    return NULL;
}

/* ---- typed readers ---- */

static const unsigned char *value_at(const void *record, const _FDBProperty *property)
{
    return (const unsigned char *)record + property->valueOffset;
}

/* The inline string, or NULL when it is not terminated inside its length. */
static const char *inline_string(const void *record, const _FDBProperty *property)
{
    const char *s = (const char *)value_at(record, property);
    return memchr(s, 0, property->valueLength) ? s : NULL;
}

static int32_t clamp_int32(double d)
{
    if (isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return INT32_MAX;
    if (d <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)d;
}

static int64_t clamp_int64(double d)
{
    if (isnan(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return INT64_MAX;
    if (d <= -9223372036854775808.0)
        return INT64_MIN;
    return (int64_t)d;
}

int32_t FDBIntValue(const void *record, const _FDBProperty *property, int32_t defaultValue)
{
    const unsigned char *p = value_at(record, property);
    switch (property->type) {
    case FDB_TYPE_INT32:
        return (int32_t)le32(p);
    case FDB_TYPE_INT64:
        return (int32_t)(uint32_t)le64(p);
    case FDB_TYPE_DOUBLE:
        return clamp_int32(le_double(p));
    case FDB_TYPE_STRING: {
        const char *s = inline_string(record, property);
        if (s == NULL)
            return defaultValue;
        long long v = strtoll(s, NULL, 10);
        return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
    }
    default:
        return defaultValue;
    }
}

int64_t FDBInt64Value(const void *record, const _FDBProperty *property, int64_t defaultValue)
{
    const unsigned char *p = value_at(record, property);
    switch (property->type) {
    case FDB_TYPE_INT32:
        return (int32_t)le32(p);
    case FDB_TYPE_INT64:
        return (int64_t)le64(p);
    case FDB_TYPE_DOUBLE:
        return clamp_int64(le_double(p));
    case FDB_TYPE_STRING: {
        const char *s = inline_string(record, property);
        return s ? strtoll(s, NULL, 10) : defaultValue;
    }
    default:
        return defaultValue;
    }
}

double FDBDoubleValue(const void *record, const _FDBProperty *property, double defaultValue)
{
    const unsigned char *p = value_at(record, property);
    switch (property->type) {
    case FDB_TYPE_INT32:
        return (double)(int32_t)le32(p);
    case FDB_TYPE_INT64:
        return (double)(int64_t)le64(p);
    case FDB_TYPE_DOUBLE:
        return le_double(p);
    case FDB_TYPE_STRING: {
        const char *s = inline_string(record, property);
        return s ? strtod(s, NULL) : defaultValue;
    }
    default:
        return defaultValue;
    }
}

const char *FDBStringValue(const void *record, const _FDBProperty *property, const char *defaultValue)
{
    if (property->type != FDB_TYPE_STRING)
        return defaultValue;
    const char *s = inline_string(record, property);
    return s ? s : defaultValue;
}

uint64_t FDBBlobOffset(const void *record, const _FDBProperty *property, uint64_t defaultValue)
{
    return property->type == FDB_TYPE_BLOB ? le64(value_at(record, property)) : defaultValue;
}

/* ---- blobs ---- */

/* The blob at `offset` when the cache holds all of it. */
static const void *cached_blob(FDBHandle *h, uint64_t offset, uint32_t *length)
{
    if (h->blobCache == NULL || offset < h->blobStart || offset - h->blobStart >= h->blobFilled)
        return NULL;
    uint64_t at = offset - h->blobStart;
    if (h->blobFilled - at < 4)
        return NULL;
    uint32_t n = le32(h->blobCache + at);
    /* An offset into the middle of a blob reads a bogus length word. */
    if ((uint64_t)n > h->blobFilled - at - 4)
        return NULL;
    if (length)
        *length = n;
    return h->blobCache + at + 4;
}

const void *FDBBlobRead(_FDB *db, uint64_t offset, uint32_t *length)
{
    FDBHandle *h = (FDBHandle *)db;
    const void *hit = cached_blob(h, offset, length);
    if (hit)
        return hit;
    h->blobStart = offset;
    h->blobFilled = 0;
    int fd = h->blobFd >= 0 ? h->blobFd : open_read(h->blobPath);
    if (fd < 0)
        return NULL;
    if (lock_fd(fd, LOCK_SH) != 0) {
        if (fd != h->blobFd)
            close(fd);
        return NULL;
    }
    int64_t size = file_size(fd, h->blobPath);
    unsigned char word[4];
    if (size >= 0 && offset <= (uint64_t)size && read_full(fd, offset, word, 4) == 4) {
        uint64_t first = le32(word);
        uint64_t available = (uint64_t)size - offset;
        /* The length must lie inside the file before anything is allocated for it. */
        if (first + 4 <= available) {
            uint64_t need = first + 4;
            if (h->blobCache == NULL || h->blobCapacity < need) {
                /* The first window holds at least 100 KiB; a larger blob
                 * enlarges it to exactly what that blob needs. */
                uint64_t capacity = h->blobCache == NULL && need < FDB_BLOB_CACHE_MIN ? FDB_BLOB_CACHE_MIN : need;
                unsigned char *grown = capacity <= UINT32_MAX ? realloc(h->blobCache, (size_t)capacity) : NULL;
                if (grown) {
                    h->blobCache = grown;
                    h->blobCapacity = (uint32_t)capacity;
                }
            }
            if (h->blobCache && h->blobCapacity >= first + 4) {
                uint64_t span = available < h->blobCapacity ? available : h->blobCapacity;
                int64_t got = read_full(fd, offset, h->blobCache, (size_t)span);
                /* Keep whole consecutive blobs only. */
                uint64_t filled = 0;
                while (got >= 0 && filled + 4 <= (uint64_t)got) {
                    uint64_t n = le32(h->blobCache + filled);
                    if (filled + 4 + n > (uint64_t)got)
                        break;
                    filled += 4 + n;
                }
                h->blobFilled = (uint32_t)filled;
            }
        }
    }
    flock(fd, LOCK_UN);
    if (fd != h->blobFd)
        close(fd);
    return cached_blob(h, offset, length);
}

/* ---- record cursors ---- */

void FDBCursorInit(_FDBData *buffer, const _FDBClass *dbClass)
{
    memset(buffer, 0, sizeof *buffer);
    buffer->dbClass = dbClass;
}

int FDBCursorSetBufferCount(_FDBData *buffer, uint32_t count)
{
    if (buffer->dbClass == NULL)
        return -1;
    if (buffer->data == NULL || count > buffer->length) {
        uint64_t bytes = (uint64_t)count * buffer->dbClass->recordSize;
        if (bytes > SIZE_MAX)
            return -1;
        unsigned char *grown = realloc(buffer->data, bytes ? (size_t)bytes : 1);
        if (grown == NULL)
            return -1;
        buffer->data = grown;
    }
    buffer->length = count;
    return 0;
}

void FDBCursorCleanup(_FDBData *buffer)
{
    free(buffer->data);
    memset(buffer, 0, sizeof *buffer);
}

void *FDBCursorItemAt(_FDBData *buffer, uint32_t i)
{
    if (buffer->data == NULL || i >= buffer->length)
        return NULL;
    return buffer->data + (size_t)i * buffer->dbClass->recordSize;
}

static int cursor_fits(_FDB *db, const _FDBCursor *cursor)
{
    int fits = cursor->data.dbClass == db->dbClass && cursor->data.length > 0 && cursor->data.data != NULL;
    assert(fits && "a cursor belongs to its handle's class and has a buffer");
    return fits;
}

/* Fills the buffer with the records from row index `location` on. */
static int fill_records(_FDB *db, _FDBCursor *cursor, uint32_t location)
{
    FDBHandle *h = (FDBHandle *)db;
    uint32_t recordSize = db->dbClass->recordSize;
    uint64_t offset;
    cursor->location = location;
    cursor->index = 0;
    cursor->length = 0;
    if (data_offset(FDB_HEADER_SIZE + (uint64_t)FDBClassSize(db->dbClass), recordSize, location, &offset) != 0)
        return -1;
    int64_t got = locked_read(h->dbFd, h->dbPath, offset, cursor->data.data,
                              (size_t)cursor->data.length * recordSize);
    if (got < 0)
        return -1;
    cursor->length = (uint32_t)((uint64_t)got / recordSize);
    return 0;
}

void *FDBCursorNext(_FDB *db, _FDBCursor *cursor)
{
    if (!cursor_fits(db, cursor))
        return NULL;
    for (;;) {
        if (cursor->length == 0) {
            uint64_t next = (uint64_t)cursor->location + cursor->index;
            if (next > UINT32_MAX || fill_records(db, cursor, (uint32_t)next) != 0 || cursor->length == 0)
                return NULL;
        }
        void *record = FDBCursorItemAt(&cursor->data, cursor->index);
        cursor->index++;
        cursor->length--;
        if (cursor->filter == NULL || cursor->filter(db, cursor, record))
            return record;
    }
}

void *FDBCursorToRowid(_FDB *db, _FDBCursor *cursor, int64_t rowid)
{
    if (rowid < 1 || rowid > FDBRowCount(db))
        return NULL;
    uint64_t row = (uint64_t)rowid - 1;
    uint64_t windowEnd = (uint64_t)cursor->location + cursor->index + cursor->length;
    if (row >= cursor->location && row < windowEnd) {
        cursor->index = (uint32_t)(row - cursor->location);
        cursor->length = (uint32_t)(windowEnd - row);
    } else {
        if (!cursor_fits(db, cursor))
            return NULL;
        if (fill_records(db, cursor, (uint32_t)row) != 0 || cursor->length == 0)
            return NULL;
    }
    void *record = FDBCursorItemAt(&cursor->data, cursor->index);
    cursor->index++;
    cursor->length--;
    return record;
}

int FDBCursorCommit(_FDB *db, _FDBCursor *cursor)
{
    FDBHandle *h = (FDBHandle *)db;
    if (cursor->index == 0 || cursor->data.dbClass != db->dbClass)
        return -1;
    const void *record = FDBCursorItemAt(&cursor->data, cursor->index - 1);
    assert(record != NULL);
    if (record == NULL)
        return -1;
    /* Later reads open the files for each read, so that no descriptor of ours
     * reads across the rewrite. */
    if (h->dbFd >= 0) {
        close(h->dbFd);
        h->dbFd = -1;
    }
    if (h->blobFd >= 0) {
        close(h->blobFd);
        h->blobFd = -1;
    }
    uint32_t recordSize = db->dbClass->recordSize;
    uint64_t offset;
    if (data_offset(FDB_HEADER_SIZE + (uint64_t)FDBClassSize(db->dbClass), recordSize,
                    (uint64_t)cursor->location + cursor->index - 1, &offset) != 0)
        return -1;
    int fd;
    do {
        fd = open(h->dbPath, O_WRONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    if (lock_fd(fd, LOCK_EX) != 0) {
        close(fd);
        return -1;
    }
    size_t done = 0;
    while (done < recordSize) {
        ssize_t n = pwrite(fd, (const unsigned char *)record + done, recordSize - done, (off_t)(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += (size_t)n;
    }
    flock(fd, LOCK_UN);
    int closed = close(fd);
    return done == recordSize && closed == 0 ? 0 : -1;
}

/* ---- index files ---- */

_FDBIndexDB *FDBIndexOpen(const char *basePath, const char *indexName)
{
    if (basePath == NULL || indexName == NULL)
        return NULL;
    FDBIndexHandle *h = calloc(1, sizeof *h);
    if (h == NULL)
        return NULL;
    h->fd = -1;
    int n = snprintf(h->path, sizeof h->path, "%s_%s%s", basePath, indexName, ".idx");
    if (n < 0 || n >= (int)sizeof h->path) {
        free(h);
        return NULL;
    }
    uint32_t size = 0;
    unsigned char *raw = read_descriptor(h->path, "IDX", 8, &h->fd, &h->pub.header, &size);
    if (raw == NULL) {
        free(h);
        return NULL;
    }
    _FDBIndex *index = (_FDBIndex *)raw;
    index->itemSize = le32(raw);
    index->propertyCount = le32(raw + 4);
    int sound = index->itemSize > 0 && index->itemSize <= FDB_MAX_ITEM_SIZE && index->propertyCount > 0;
    for (uint32_t i = 0; sound && i < index->propertyCount; ++i) {
        fix_property(&index->properties[i]);
        sound = property_is_sound(&index->properties[i], index->itemSize);
    }
    if (!sound) {
        free(raw);
        close(h->fd);
        free(h);
        return NULL;
    }
    h->pub.index = index;
    h->pub.count = -1;
    return &h->pub;
}

void FDBIndexClose(_FDBIndexDB *db)
{
    if (db == NULL)
        return;
    FDBIndexHandle *h = (FDBIndexHandle *)db;
    if (h->fd >= 0)
        close(h->fd);
    free(h->pub.index);
    free(h);
}

int64_t FDBIndexRowCount(_FDBIndexDB *db)
{
    FDBIndexHandle *h = (FDBIndexHandle *)db;
    if (db->count < 0) {
        int64_t size = file_size(h->fd, h->path);
        uint64_t start = FDB_HEADER_SIZE + (uint64_t)FDBIndexSize(db->index);
        int64_t count = 0;
        if (size >= 0 && (uint64_t)size > start)
            count = (int64_t)(((uint64_t)size - start) / db->index->itemSize);
        db->count = count > (int64_t)UINT32_MAX ? (int64_t)UINT32_MAX : count;
    }
    return db->count;
}

uint32_t FDBIndexSize(const _FDBIndex *index)
{
    return 8 + FDB_PROPERTY_SIZE * index->propertyCount;
}

const _FDBProperty *FDBIndexGetProperty(const _FDBIndex *index, const char *name)
{
    if (index == NULL || name == NULL)
        return NULL;
    for (uint32_t i = 0; i < index->propertyCount; ++i) {
        if (strcmp(index->properties[i].name, name) == 0)
            return &index->properties[i];
    }
    return NULL;
}

void FDBIndexCursorInit(_FDBIndexData *buffer, const _FDBIndex *index)
{
    memset(buffer, 0, sizeof *buffer);
    buffer->index = index;
}

uint32_t FDBIndexCursorSetBufferSize(_FDBIndexData *buffer, uint32_t count)
{
    if (buffer->index == NULL || (buffer->data != NULL && count <= buffer->size))
        return buffer->size;
    uint64_t bytes = (uint64_t)count * buffer->index->itemSize;
    if (bytes > SIZE_MAX)
        return buffer->size;
    unsigned char *grown = realloc(buffer->data, bytes ? (size_t)bytes : 1);
    if (grown == NULL)
        return buffer->size;
    buffer->data = grown;
    buffer->size = count;
    return buffer->size;
}

void FDBIndexCursorCleanup(_FDBIndexData *buffer)
{
    free(buffer->data);
    memset(buffer, 0, sizeof *buffer);
}

void *FDBIndexCursorItemAt(_FDBIndexData *buffer, uint32_t i)
{
    if (buffer->data == NULL || i >= buffer->size)
        return NULL;
    return buffer->data + (size_t)i * buffer->index->itemSize;
}

static int index_cursor_fits(_FDBIndexDB *db, const _FDBIndexCursor *cursor)
{
    int fits = cursor->data.index == db->index && cursor->data.size > 0 && cursor->data.data != NULL;
    assert(fits && "an index cursor belongs to its index and has a buffer");
    return fits;
}

static uint64_t items_start(const _FDBIndexDB *db)
{
    return FDB_HEADER_SIZE + (uint64_t)FDBIndexSize(db->index);
}

/* Reads up to `count` whole items from position `location` into the buffer
 * at `into`; answers the items read or -1. */
static int64_t read_items(_FDBIndexDB *db, int fd, uint32_t location, uint32_t count, unsigned char *into)
{
    uint64_t offset;
    uint32_t itemSize = db->index->itemSize;
    if (data_offset(items_start(db), itemSize, location, &offset) != 0)
        return -1;
    int64_t got = read_full(fd, offset, into, (size_t)count * itemSize);
    return got < 0 ? -1 : (int64_t)((uint64_t)got / itemSize);
}

static int index_fill(_FDBIndexDB *db, int fd, _FDBIndexCursor *cursor, uint32_t location)
{
    cursor->location = location;
    cursor->index = 0;
    cursor->data.length = 0;
    int64_t got = read_items(db, fd, location, cursor->data.size, cursor->data.data);
    if (got < 0)
        return -1;
    cursor->data.length = (uint32_t)got;
    return 0;
}

void *FDBIndexCursorToBegin(_FDBIndexDB *db, _FDBIndexCursor *cursor, FDBIndexCompare compare, void *context)
{
    if (!index_cursor_fits(db, cursor))
        return NULL;
    int64_t count = FDBIndexRowCount(db);
    cursor->location = 0;
    cursor->index = 0;
    cursor->data.length = 0;
    if (count <= 0)
        return NULL;
    FDBIndexHandle *h = (FDBIndexHandle *)db;
    int fd = h->fd >= 0 ? h->fd : open_read(h->path);
    if (fd < 0)
        return NULL;
    void *answer = NULL;
    if (lock_fd(fd, LOCK_SH) != 0)
        goto done;
    uint32_t found = 0;
    if (compare != NULL) {
        /* Lower bound: the first item that does not sort before the key. The
         * buffer's first slot serves as scratch space for the probes. */
        uint32_t low = 0, high = (uint32_t)count;
        unsigned char *probe = cursor->data.data;
        while (low < high) {
            uint32_t mid = low + (high - low) / 2;
            if (read_items(db, fd, mid, 1, probe) != 1)
                goto unlock;
            if (compare(probe, context) < 0)
                low = mid + 1;
            else
                high = mid;
        }
        if (low >= (uint32_t)count)
            goto unlock;
        found = low;
    }
    if (index_fill(db, fd, cursor, found) != 0 || cursor->data.length == 0)
        goto unlock;
    answer = FDBIndexCursorItemAt(&cursor->data, 0);
    if (compare != NULL && compare(answer, context) != 0) {
        answer = NULL;
        cursor->data.length = 0;
        goto unlock;
    }
    cursor->index = 1;
    cursor->data.length--;
unlock:
    flock(fd, LOCK_UN);
done:
    if (fd != h->fd)
        close(fd);
    return answer;
}

void *FDBIndexCursorToNext(_FDBIndexDB *db, _FDBIndexCursor *cursor, FDBIndexCompare compare, void *context)
{
    if (!index_cursor_fits(db, cursor))
        return NULL;
    if (cursor->data.length == 0) {
        uint64_t next = (uint64_t)cursor->location + cursor->index;
        if (next > UINT32_MAX)
            return NULL;
        FDBIndexHandle *h = (FDBIndexHandle *)db;
        int fd = h->fd >= 0 ? h->fd : open_read(h->path);
        if (fd < 0)
            return NULL;
        int ok = -1;
        if (lock_fd(fd, LOCK_SH) == 0) {
            ok = index_fill(db, fd, cursor, (uint32_t)next);
            flock(fd, LOCK_UN);
        }
        if (fd != h->fd)
            close(fd);
        if (ok != 0 || cursor->data.length == 0)
            return NULL;
    }
    void *item = FDBIndexCursorItemAt(&cursor->data, cursor->index);
    cursor->index++;
    cursor->data.length--;
    if (compare != NULL && compare(item, context) != 0)
        return NULL;
    return item;
}

/* ---- key comparison ---- */

#define THREE_WAY(a, b) ((a) < (b) ? -1 : (a) > (b) ? 1 : 0)

int FDBIndexCompareKeys(const void *item, void *context)
{
    const FDBIndexKeys *keys = context;
    int result = 0;
    for (uint32_t i = 0; result == 0 && i < keys->count; ++i) {
        const _FDBIndexCursorProperty *key = &keys->keys[i];
        const _FDBProperty *property = key->property;
        int diff = 0;
        switch (property->type) {
        case FDB_TYPE_INT32:
            diff = THREE_WAY(FDBIntValue(item, property, 0), key->int32Value);
            break;
        case FDB_TYPE_INT64:
            diff = THREE_WAY(FDBInt64Value(item, property, 0), key->int64Value);
            break;
        case FDB_TYPE_DOUBLE:
            diff = THREE_WAY(FDBDoubleValue(item, property, 0), key->doubleValue);
            break;
        case FDB_TYPE_STRING: {
            const char *value = FDBStringValue(item, property, "");
            const char *wanted = key->stringValue ? key->stringValue : "";
            if (key->stringMatch == 1 && strncmp(value, wanted, strlen(wanted)) == 0)
                return 0;
            diff = strcmp(value, wanted);
            break;
        }
        default:
            break;
        }
        int sign = (key->mode > 0) - (key->mode < 0); /* -INT32_MIN would overflow */
        result = diff == 0 ? 0 : diff < 0 ? sign : -sign;
    }
    return result;
}

void *FDBIndexCursorToBeginWithKeys(_FDBIndexDB *db, _FDBIndexCursor *cursor, const _FDBIndexCursorProperty *keys,
                                    uint32_t count)
{
    FDBIndexKeys context = {keys, count};
    return FDBIndexCursorToBegin(db, cursor, FDBIndexCompareKeys, &context);
}

void *FDBIndexCursorToNextWithKeys(_FDBIndexDB *db, _FDBIndexCursor *cursor, const _FDBIndexCursorProperty *keys,
                                   uint32_t count)
{
    FDBIndexKeys context = {keys, count};
    return FDBIndexCursorToNext(db, cursor, FDBIndexCompareKeys, &context);
}
