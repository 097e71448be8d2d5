#pragma once

/* The record-file store: fixed-size records of one record class in a flat
 * ".db" file, variable-length byte strings (blobs) in a ".bob" file beside it,
 * and sorted secondary indexes in "<base>_<name>.idx" files. The store reads
 * these files and rewrites single records in place; it never creates files.
 *
 * All integers in the files are little-endian; doubles are IEEE 754.
 *
 * Files may come from elsewhere, so opening validates every descriptor
 * (sizes, counts, value offsets and lengths, terminated names, record and
 * item sizes of at most 1 MiB) and refuses a file that does not add up;
 * after a successful open no reader can leave the record or index item it
 * was given. Blob lengths are checked against the blob file before anything
 * is allocated.
 *
 * Readers of the same files in several processes or threads coordinate with
 * flock: a shared lock around every read, an exclusive one around a record
 * write. A handle and its cursors are used by one thread at a time. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FDB_PROPERTY_NAME_SIZE 64
#define FDB_PROPERTY_SIZE 76
#define FDB_PATH_SIZE 1024

enum {
    FDB_TYPE_INT32 = 1,
    FDB_TYPE_INT64 = 2,
    FDB_TYPE_DOUBLE = 3,
    FDB_TYPE_STRING = 4, /* inline, NUL-terminated inside its value length */
    FDB_TYPE_BLOB = 5    /* 64-bit offset of a blob in the ".bob" file; 0 = none */
};

/* 76 bytes, in files and in memory. */
typedef struct _FDBProperty {
    char name[FDB_PROPERTY_NAME_SIZE];
    uint32_t type;
    uint32_t valueLength;
    uint32_t valueOffset;
} _FDBProperty;

typedef struct _FDBClass {
    uint32_t recordSize;
    uint32_t propertyCount;
    int32_t reserved; /* kept, not interpreted */
    _FDBProperty properties[];
} _FDBClass;

typedef struct _FDBIndex {
    uint32_t itemSize;
    uint32_t propertyCount; /* at least 1: the first property is the row number */
    _FDBProperty properties[];
} _FDBIndex;

/* A record file handle. The module keeps private state behind it. */
typedef struct _FDB {
    uint32_t header;     /* the file's header word, not interpreted */
    _FDBClass *dbClass;  /* owned by the handle */
    int64_t count;       /* records; -1 until first computed */
} _FDB;

typedef struct _FDBIndexDB {
    uint32_t header;
    _FDBIndex *index;    /* owned by the handle */
    int64_t count;       /* items; -1 until first computed */
} _FDBIndexDB;

typedef struct _FDBData {
    const _FDBClass *dbClass;
    uint32_t length; /* capacity in records */
    unsigned char *data;
} _FDBData;

struct _FDBCursor;
/* Non-zero keeps the record. */
typedef int (*FDBCursorFilter)(_FDB *db, struct _FDBCursor *cursor, const void *record);

typedef struct _FDBCursor {
    _FDBData data;
    uint32_t location; /* row index (from 0) of the first buffered record */
    uint32_t index;    /* position of the next record within the buffer */
    uint32_t length;   /* buffered records not yet returned */
    FDBCursorFilter filter;
} _FDBCursor;

typedef struct _FDBIndexData {
    const _FDBIndex *index;
    uint32_t length; /* buffered items not yet returned */
    uint32_t size;   /* capacity in items */
    unsigned char *data;
} _FDBIndexData;

typedef struct _FDBIndexCursor {
    _FDBIndexData data;
    uint32_t location;
    uint32_t index;
} _FDBIndexCursor;

/* One query key. mode is the answer for an item that sorts before the key
 * (-1 for an ascending index, 1 for a descending one); with stringMatch 1 a
 * string key matches every item that starts with it. */
typedef struct _FDBIndexCursorProperty {
    const _FDBProperty *property;
    int32_t mode;
    union {
        int32_t int32Value;
        int64_t int64Value;
        double doubleValue;
        const char *stringValue;
    };
    int32_t stringMatch;
} _FDBIndexCursorProperty;

/* The context of FDBIndexCompareKeys. */
typedef struct FDBIndexKeys {
    const _FDBIndexCursorProperty *keys;
    uint32_t count;
} FDBIndexKeys;

/* 0 for an item in the matching run, -1 for one that comes before it in the
 * file, 1 for one after it. */
typedef int (*FDBIndexCompare)(const void *item, void *context);

/* Record files. */
_FDB *FDBOpen(const char *basePath);
void FDBClose(_FDB *db);
int64_t FDBRowCount(_FDB *db);
uint32_t FDBClassSize(const _FDBClass *dbClass);
const _FDBProperty *FDBClassGetProperty(const _FDBClass *dbClass, const char *name);

/* Typed readers; record and property must not be null.
 * Each reader converts whatever the property holds to its own type:
 * - int from a 64-bit integer keeps the low 32 bits; int64 from an int is
 *   sign-extended;
 * - integers from a double truncate toward zero and saturate at the type's
 *   limits (a double past them answers INT32_MAX / INT64_MAX);
 * - numbers from a string parse its leading digits ("42abc" is 42);
 * - a string reader answers the default for a non-string property or a string
 *   that is not terminated inside its field;
 * - a blob offset answers the default for a non-blob property;
 * - a property of any other type answers the default. */
int32_t FDBIntValue(const void *record, const _FDBProperty *property, int32_t defaultValue);
int64_t FDBInt64Value(const void *record, const _FDBProperty *property, int64_t defaultValue);
double FDBDoubleValue(const void *record, const _FDBProperty *property, double defaultValue);
const char *FDBStringValue(const void *record, const _FDBProperty *property, const char *defaultValue);
uint64_t FDBBlobOffset(const void *record, const _FDBProperty *property, uint64_t defaultValue);

/* The blob's bytes inside the handle's read-ahead cache, valid until the next
 * blob read, or NULL. */
const void *FDBBlobRead(_FDB *db, uint64_t offset, uint32_t *length);

void FDBCursorInit(_FDBData *buffer, const _FDBClass *dbClass);
/* 0 on success, -1 when memory runs out (the buffer is left as it was). */
int FDBCursorSetBufferCount(_FDBData *buffer, uint32_t count);
void FDBCursorCleanup(_FDBData *buffer);
void *FDBCursorItemAt(_FDBData *buffer, uint32_t i);

void *FDBCursorNext(_FDB *db, _FDBCursor *cursor);
/* Row numbers count from 1; a row outside the file answers NULL and leaves
 * the cursor where it was. */
void *FDBCursorToRowid(_FDB *db, _FDBCursor *cursor, int64_t rowid);
/* Writes back the record last returned; 0 on success, -1 on failure. */
int FDBCursorCommit(_FDB *db, _FDBCursor *cursor);

/* Index files. */
_FDBIndexDB *FDBIndexOpen(const char *basePath, const char *indexName);
void FDBIndexClose(_FDBIndexDB *db);
int64_t FDBIndexRowCount(_FDBIndexDB *db);
uint32_t FDBIndexSize(const _FDBIndex *index);
const _FDBProperty *FDBIndexGetProperty(const _FDBIndex *index, const char *name);

void FDBIndexCursorInit(_FDBIndexData *buffer, const _FDBIndex *index);
/* Never lowers the capacity; answers the capacity afterwards. */
uint32_t FDBIndexCursorSetBufferSize(_FDBIndexData *buffer, uint32_t count);
void FDBIndexCursorCleanup(_FDBIndexData *buffer);
void *FDBIndexCursorItemAt(_FDBIndexData *buffer, uint32_t i);

/* Without a compare function: the first item. With one: the first item of
 * the matching run (a lower-bound search), or NULL when nothing matches. */
void *FDBIndexCursorToBegin(_FDBIndexDB *db, _FDBIndexCursor *cursor, FDBIndexCompare compare, void *context);
/* The next item; with a compare function NULL once the run has ended. */
void *FDBIndexCursorToNext(_FDBIndexDB *db, _FDBIndexCursor *cursor, FDBIndexCompare compare, void *context);

/* The key comparison; context is an FDBIndexKeys. */
int FDBIndexCompareKeys(const void *item, void *context);
void *FDBIndexCursorToBeginWithKeys(_FDBIndexDB *db, _FDBIndexCursor *cursor, const _FDBIndexCursorProperty *keys,
                                    uint32_t count);
void *FDBIndexCursorToNextWithKeys(_FDBIndexDB *db, _FDBIndexCursor *cursor, const _FDBIndexCursorProperty *keys,
                                   uint32_t count);

#ifdef __cplusplus
}
#endif
