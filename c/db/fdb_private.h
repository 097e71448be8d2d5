#pragma once

/* What the record-file store's sources share: the private state behind the
 * public handles and the file helpers. Not part of the store's interface. */

#include "c/db/fdb.h"

#include <stddef.h>
#include <stdint.h>

#define FDB_HEADER_SIZE 12
#define FDB_BLOB_CACHE_MIN 102400u
/* Records and index items are small fixed-size rows (large values live in
 * blobs); a larger stated size is a damaged file, and would make every
 * cursor buffer of it enormous. */
#define FDB_MAX_ITEM_SIZE (1u << 20)

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

uint32_t fdb_le32(const unsigned char *p);
uint64_t fdb_le64(const unsigned char *p);
double fdb_le_double(const unsigned char *p);
/* Puts a descriptor read as file bytes into host order. */
void fdb_fix_property(_FDBProperty *property);

int fdb_lock_fd(int fd, int operation);
/* Reads up to `length` bytes at `offset`, stopping only at the end of the
 * file; the bytes read, or -1. */
int64_t fdb_read_full(int fd, uint64_t offset, void *buffer, size_t length);
int fdb_open_read(const char *path);
/* A read under a shared lock, through the kept descriptor or one opened for
 * this read alone. */
int64_t fdb_locked_read(int keptFd, const char *path, uint64_t offset, void *buffer, size_t length);
int64_t fdb_file_size(int keptFd, const char *path);
/* offset = base + size * n; -1 when that does not fit a file offset. */
int fdb_data_offset(uint64_t base, uint64_t size, uint64_t n, uint64_t *offset);

int fdb_property_is_sound(const _FDBProperty *property, uint32_t containerSize);
/* Opens `path`, checks the magic and reads the descriptor after the header;
 * NULL when the file does not add up. */
unsigned char *fdb_read_descriptor(const char *path, const char magic[4], uint32_t fixedSize, int *fdOut,
                                   uint32_t *header, uint32_t *descriptorSize);
