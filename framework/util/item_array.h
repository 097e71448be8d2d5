#pragma once

/* A growable array of fixed-size items (the markup tokenizer's stacks). The
 * header and `extra_size` bytes of caller data are one allocation; the
 * caller's bytes follow the header and are reached with item_array_extra().
 * A NULL array is tolerated by every call. Not thread-safe. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct item_array {
    void *data;          /* owned */
    uint32_t capacity;   /* bytes allocated */
    uint32_t count;      /* items in use */
    uint32_t item_size;  /* bytes per item, at least 1 */
    uint32_t extra_size; /* bytes of caller data after the header */
} item_array;

/* NULL when item_size is below 1, extra_size is negative or memory runs out.
 * The caller's bytes start zeroed. */
item_array *item_array_create(int32_t item_size, int32_t extra_size);
void item_array_free(item_array *array);

uint32_t item_array_count(const item_array *array);
/* NULL when the index is outside 0 .. count-1 or there is no storage. */
void *item_array_at(const item_array *array, int64_t index);
/* The caller's `extra_size` bytes (suitably aligned for any type); NULL for a
 * NULL array. */
void *item_array_extra(item_array *array);

/* When the capacity is below `needed` bytes it becomes the larger of the need
 * and ten items. 1 on success, 0 for a NULL array or lack of memory. */
int item_array_reserve(item_array *array, uint32_t needed);
/* Copies one item from `item` (zero bytes when NULL) into a new last slot and
 * returns the slot; NULL for a NULL array, a count past the 32-bit size limit
 * or lack of memory. */
void *item_array_append(item_array *array, const void *item);
/* Count 0, storage kept. 1, or 0 for a NULL array. */
int item_array_clear(item_array *array);

#ifdef __cplusplus
}
#endif
