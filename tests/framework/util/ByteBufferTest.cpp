#include "framework/util/byte_buffer.h"
#include "framework/util/item_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(ByteBuffer, AppendKeepsRoomForTheTerminator)
{
    byte_buffer* tight = byte_buffer_create(3, 1);
    void* at = byte_buffer_append(tight, "abc", 3);
    EXPECT_EQ(at, byte_buffer_data(tight));
    EXPECT_GE(tight->capacity, 4u);
    EXPECT_TRUE(byte_buffer_append_string(tight, "de"));
    EXPECT_STREQ(byte_buffer_cstring(tight), "abcde");
    byte_buffer_clear(tight);
    EXPECT_STREQ(byte_buffer_cstring(tight), "");
    byte_buffer_free(tight);
}

TEST(ByteBuffer, NullAndOversizedRequestsAreRefused)
{
    EXPECT_EQ(byte_buffer_length(nullptr), 0u);
    EXPECT_EQ(byte_buffer_data(nullptr), nullptr);
    EXPECT_EQ(byte_buffer_cstring(nullptr), nullptr);
    EXPECT_EQ(byte_buffer_append(nullptr, "a", 1), nullptr);
    byte_buffer_free(nullptr);

    byte_buffer* buffer = byte_buffer_create(16, 16);
    byte_buffer_append(buffer, "xy", 2);
    // A count that would wrap the 32-bit length around is refused untouched.
    EXPECT_EQ(byte_buffer_append(buffer, "z", UINT32_MAX - 1), nullptr);
    EXPECT_EQ(byte_buffer_append(buffer, nullptr, 4), nullptr);
    EXPECT_STREQ(byte_buffer_cstring(buffer), "xy");
    byte_buffer_free(buffer);
}

TEST(ItemArray, AppendsIndexesAndKeepsCallerBytes)
{
    EXPECT_EQ(item_array_create(4, -1), nullptr);
    EXPECT_EQ(item_array_append(nullptr, nullptr), nullptr);

    item_array* array = item_array_create(sizeof(int), 24);
    ASSERT_NE(array, nullptr);
    auto* extra = static_cast<unsigned char*>(item_array_extra(array));
    std::memset(extra, 0xAB, 24);

    EXPECT_EQ(item_array_at(array, 0), nullptr);
    for (int i = 0; i < 25; i++)
        ASSERT_NE(item_array_append(array, &i), nullptr);
    auto* zero = static_cast<int*>(item_array_append(array, nullptr));
    EXPECT_EQ(*zero, 0);
    EXPECT_EQ(item_array_count(array), 26u);
    EXPECT_EQ(*static_cast<int*>(item_array_at(array, 24)), 24);
    EXPECT_EQ(item_array_at(array, 26), nullptr);
    EXPECT_EQ(item_array_at(array, -1), nullptr);
    EXPECT_EQ(extra[23], 0xAB);

    EXPECT_EQ(item_array_clear(array), 1);
    EXPECT_EQ(item_array_count(array), 0u);
    EXPECT_EQ(item_array_at(array, 0), nullptr);
    item_array_free(array);
}
