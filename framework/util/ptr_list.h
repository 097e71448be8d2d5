#pragma once

/* A growable list of pointer-sized entries; the JSON scanner keeps its two
 * stacks in it. A NULL list is tolerated by every call. Not thread-safe. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ptr_list {
    intptr_t *entries; /* owned */
    int count;
    int growth;   /* entries added on every enlargement, at least 1 */
    int capacity; /* entries allocated */
} ptr_list;

/* NULL when memory runs out. A growth below 1 becomes 1. */
ptr_list *ptr_list_create(int capacity, int growth);
void ptr_list_free(ptr_list *list);

/* 1 on success, 0 for a NULL list or lack of memory (nothing pushed). */
int ptr_list_push(ptr_list *list, intptr_t value);
/* 0 for a NULL list or an index outside 0 .. count-1. */
intptr_t ptr_list_get(const ptr_list *list, int index);
/* Removes the entry, shifting the rest down; returns it (0, nothing removed,
 * under the same conditions as get). */
intptr_t ptr_list_remove_at(ptr_list *list, int index);
int ptr_list_count(const ptr_list *list);
intptr_t ptr_list_last(const ptr_list *list);
intptr_t ptr_list_remove_last(ptr_list *list);
intptr_t ptr_list_pop(ptr_list *list);

#ifdef __cplusplus
}
#endif
