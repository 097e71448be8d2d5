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
    unsigned char *raw = fdb_read_descriptor(h->dbPath, "FDB", 12, &h->dbFd, &h->pub.header, &size);
    if (raw == NULL) {
        free(h);
        return NULL;
    }
    _FDBClass *cls = (_FDBClass *)raw;
    cls->recordSize = fdb_le32(raw);
    cls->propertyCount = fdb_le32(raw + 4);
    cls->reserved = (int32_t)fdb_le32(raw + 8);
    int sound = cls->recordSize > 0 && cls->recordSize <= FDB_MAX_ITEM_SIZE;
    for (uint32_t i = 0; sound && i < cls->propertyCount; ++i) {
        fdb_fix_property(&cls->properties[i]);
        sound = fdb_property_is_sound(&cls->properties[i], cls->recordSize);
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
    h->blobFd = fdb_open_read(h->blobPath); /* -1 when there is no blob file */
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
        int64_t size = fdb_file_size(h->dbFd, h->dbPath);
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
        return (int32_t)fdb_le32(p);
    case FDB_TYPE_INT64:
        return (int32_t)(uint32_t)fdb_le64(p);
    case FDB_TYPE_DOUBLE:
        return clamp_int32(fdb_le_double(p));
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
        return (int32_t)fdb_le32(p);
    case FDB_TYPE_INT64:
        return (int64_t)fdb_le64(p);
    case FDB_TYPE_DOUBLE:
        return clamp_int64(fdb_le_double(p));
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
        return (double)(int32_t)fdb_le32(p);
    case FDB_TYPE_INT64:
        return (double)(int64_t)fdb_le64(p);
    case FDB_TYPE_DOUBLE:
        return fdb_le_double(p);
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
    return property->type == FDB_TYPE_BLOB ? fdb_le64(value_at(record, property)) : defaultValue;
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
    uint32_t n = fdb_le32(h->blobCache + at);
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
    int fd = h->blobFd >= 0 ? h->blobFd : fdb_open_read(h->blobPath);
    if (fd < 0)
        return NULL;
    if (fdb_lock_fd(fd, LOCK_SH) != 0) {
        if (fd != h->blobFd)
            close(fd);
        return NULL;
    }
    int64_t size = fdb_file_size(fd, h->blobPath);
    unsigned char word[4];
    if (size >= 0 && offset <= (uint64_t)size && fdb_read_full(fd, offset, word, 4) == 4) {
        uint64_t first = fdb_le32(word);
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
                int64_t got = fdb_read_full(fd, offset, h->blobCache, (size_t)span);
                /* Keep whole consecutive blobs only. */
                uint64_t filled = 0;
                while (got >= 0 && filled + 4 <= (uint64_t)got) {
                    uint64_t n = fdb_le32(h->blobCache + filled);
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
    if (fdb_data_offset(FDB_HEADER_SIZE + (uint64_t)FDBClassSize(db->dbClass), recordSize, location, &offset) != 0)
        return -1;
    int64_t got = fdb_locked_read(h->dbFd, h->dbPath, offset, cursor->data.data,
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
    if (fdb_data_offset(FDB_HEADER_SIZE + (uint64_t)FDBClassSize(db->dbClass), recordSize,
                    (uint64_t)cursor->location + cursor->index - 1, &offset) != 0)
        return -1;
    int fd;
    do {
        fd = open(h->dbPath, O_WRONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    if (fdb_lock_fd(fd, LOCK_EX) != 0) {
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
