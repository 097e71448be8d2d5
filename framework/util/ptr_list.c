#include "framework/util/ptr_list.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

ptr_list *ptr_list_create(int capacity, int growth)
{
    ptr_list *list = calloc(1, sizeof *list);
    if (!list)
        return NULL;
    list->growth = growth < 1 ? 1 : growth;
    if (capacity > 0) {
        list->entries = malloc((size_t)capacity * sizeof *list->entries);
        if (!list->entries) {
            free(list);
            return NULL;
        }
        list->capacity = capacity;
    }
    return list;
}

void ptr_list_free(ptr_list *list)
{
    if (!list)
        return;
    free(list->entries);
    free(list);
}

int ptr_list_push(ptr_list *list, intptr_t value)
{
    if (!list)
        return 0;
    if (list->count + 1 > list->capacity) {
        if (list->capacity > INT_MAX - list->growth)
            return 0;
        int capacity = list->capacity + list->growth;
        intptr_t *entries = realloc(list->entries, (size_t)capacity * sizeof *entries);
        if (!entries)
            return 0;
        list->entries = entries;
        list->capacity = capacity;
    }
    list->entries[list->count++] = value;
    return 1;
}

intptr_t ptr_list_get(const ptr_list *list, int index)
{
    if (!list || index < 0 || index >= list->count)
        return 0;
    return list->entries[index];
}

intptr_t ptr_list_remove_at(ptr_list *list, int index)
{
    if (!list || index < 0 || index >= list->count)
        return 0;
    intptr_t value = list->entries[index];
    memmove(list->entries + index, list->entries + index + 1, (size_t)(list->count - index - 1) * sizeof(intptr_t));
    list->count--;
    return value;
}

int ptr_list_count(const ptr_list *list)
{
    return list ? list->count : 0;
}

intptr_t ptr_list_last(const ptr_list *list)
{
    return ptr_list_get(list, ptr_list_count(list) - 1);
}

intptr_t ptr_list_remove_last(ptr_list *list)
{
    return ptr_list_remove_at(list, ptr_list_count(list) - 1);
}

intptr_t ptr_list_pop(ptr_list *list)
{
    return ptr_list_remove_last(list);
}
