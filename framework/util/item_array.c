#include "framework/util/item_array.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

/* The caller's bytes begin after the header, rounded up so that they can
 * hold any type. */
#define ITEM_ARRAY_HEADER_SIZE \
    ((sizeof(item_array) + _Alignof(max_align_t) - 1) / _Alignof(max_align_t) * _Alignof(max_align_t))

item_array *item_array_create(int32_t item_size, int32_t extra_size)
{
    if (item_size < 1 || extra_size < 0)
        return NULL;
    item_array *array = calloc(1, ITEM_ARRAY_HEADER_SIZE + (size_t)extra_size);
    if (!array)
        return NULL;
    array->item_size = (uint32_t)item_size;
    array->extra_size = (uint32_t)extra_size;
    return array;
}

void item_array_free(item_array *array)
{
    if (!array)
        return;
    free(array->data);
    free(array);
}

uint32_t item_array_count(const item_array *array)
{
    return array ? array->count : 0;
}

void *item_array_at(const item_array *array, int64_t index)
{
    if (!array || !array->data || index < 0 || index >= (int64_t)array->count)
        return NULL;
    return (unsigned char *)array->data + (size_t)index * array->item_size;
}

void *item_array_extra(item_array *array)
{
    return array ? (unsigned char *)array + ITEM_ARRAY_HEADER_SIZE : NULL;
}

int item_array_reserve(item_array *array, uint32_t needed)
{
    if (!array)
        return 0;
    if (array->capacity >= needed && array->data)
        return 1;
    uint64_t ten = (uint64_t)array->item_size * 10u;
    uint64_t capacity = needed > ten ? needed : ten;
    if (capacity > UINT32_MAX)
        capacity = needed;
    if (capacity == 0)
        capacity = array->item_size;
    void *data = realloc(array->data, (size_t)capacity);
    if (!data)
        return 0;
    array->data = data;
    array->capacity = (uint32_t)capacity;
    return 1;
}

void *item_array_append(item_array *array, const void *item)
{
    if (!array)
        return NULL;
    uint64_t needed = ((uint64_t)array->count + 1) * array->item_size;
    if (needed > UINT32_MAX || !item_array_reserve(array, (uint32_t)needed))
        return NULL;
    unsigned char *slot = (unsigned char *)array->data + (size_t)array->count * array->item_size;
    if (item)
        memcpy(slot, item, array->item_size);
    else
        memset(slot, 0, array->item_size);
    array->count++;
    return slot;
}

int item_array_clear(item_array *array)
{
    if (!array)
        return 0;
    array->count = 0;
    return 1;
}
