#include "framework/util/pinyin.h"

#include <stddef.h>

const uint16_t *pinyin_record(uint16_t code)
{
    if (code < PINYIN_FIRST || code > PINYIN_LAST)
        return NULL;
    return pinyin_table[code - PINYIN_FIRST];
}

int pinyin_count(const uint16_t *record)
{
    if (!record)
        return 0;
    int count = 0;
    while (count < PINYIN_SLOTS && record[count] != 0)
        count++;
    return count;
}

const char *pinyin_string(const uint16_t *record, int index)
{
    if (!record || index < 0 || index >= PINYIN_SLOTS)
        return NULL;
    uint16_t number = record[index];
    if (number == 0 || number > pinyin_syllable_count)
        return NULL;
    return pinyin_syllables[number - 1];
}
