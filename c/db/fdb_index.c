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
    unsigned char *raw = fdb_read_descriptor(h->path, "IDX", 8, &h->fd, &h->pub.header, &size);
    if (raw == NULL) {
        free(h);
        return NULL;
    }
    _FDBIndex *index = (_FDBIndex *)raw;
    index->itemSize = fdb_le32(raw);
    index->propertyCount = fdb_le32(raw + 4);
    int sound = index->itemSize > 0 && index->itemSize <= FDB_MAX_ITEM_SIZE && index->propertyCount > 0;
    for (uint32_t i = 0; sound && i < index->propertyCount; ++i) {
        fdb_fix_property(&index->properties[i]);
        sound = fdb_property_is_sound(&index->properties[i], index->itemSize);
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
        int64_t size = fdb_file_size(h->fd, h->path);
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
    if (fdb_data_offset(items_start(db), itemSize, location, &offset) != 0)
        return -1;
    int64_t got = fdb_read_full(fd, offset, into, (size_t)count * itemSize);
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
    int fd = h->fd >= 0 ? h->fd : fdb_open_read(h->path);
    if (fd < 0)
        return NULL;
    void *answer = NULL;
    if (fdb_lock_fd(fd, LOCK_SH) != 0)
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
        int fd = h->fd >= 0 ? h->fd : fdb_open_read(h->path);
        if (fd < 0)
            return NULL;
        int ok = -1;
        if (fdb_lock_fd(fd, LOCK_SH) == 0) {
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
