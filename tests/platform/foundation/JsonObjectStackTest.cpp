#include "platform/foundation/JsonObjectStack.h"

#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pf;

namespace {

// A member as a parser hands it over: its key in the text, or unescaped
// into the arena when `escaped`.
struct Member {
    std::string key;
    Value value;
    bool escaped = false;
};

// Collects `members` into one object the way the SDK parsers do, with an
// inner object of `inner` members opened and closed after the first `before`.
Value collect(const std::string& text, const std::vector<Member>& members, std::size_t before,
              const std::vector<Member>& inner)
{
    JsonObjectStack stack;
    stack.start(text.c_str());
    auto add = [&](JsonObjectStack::Object& object, const Member& member) {
        std::size_t at = text.find("\"" + member.key + "\"");
        EXPECT_NE(at, std::string::npos) << member.key;
        auto key = member.escaped ? stack.arenaKey(member.key)
                                  : stack.textKey(text.data() + at + 1, text.data() + at + 1 + member.key.size());
        stack.push(member.value);
        stack.addMember(object, key);
    };
    auto outer = stack.openObject();
    for (std::size_t i = 0; i < members.size(); ++i) {
        add(outer, members[i]);
        if (i + 1 == before) {
            auto object = stack.openObject();
            for (const auto& member : inner)
                add(object, member);
            stack.push(stack.closeObject(object));
            stack.addMember(outer, stack.arenaKey("inner"));
        }
    }
    return stack.closeObject(outer);
}

}

TEST(JsonObjectStack, ARepeatedKeyKeepsItsFirstPlaceAndTakesTheLastValueAtAnySize)
{
    // Around the sizes where the object starts indexing its keys and where
    // the index grows.
    const int indexed = int(JsonObjectStack::kIndexedMembers);
    for (int size : {5, indexed, indexed + 1, 64, 65, 1000}) {
        SCOPED_TRACE(size);
        std::string text;
        std::vector<Member> members;
        for (int i = 0; i < size; ++i) {
            std::string key = "k" + std::to_string(i);
            text += "\"" + key + "\" ";
            members.push_back({key, Value(i)});
        }
        // An inner object with keys of the same names, which must not touch
        // the outer ones; then repeats of the first, a middle and the last
        // key, one of them given with escapes (so read from the arena).
        std::string last = "k" + std::to_string(size - 1);
        members.push_back({"k0", Value("first again")});
        members.push_back({"k" + std::to_string(size / 2), Value("middle again"), true});
        members.push_back({last, Value("last again")});
        members.push_back({"k0", Value("first thrice")});
        std::vector<Member> inner;
        for (int i = 0; i < size; i += 2)
            inner.push_back({"k" + std::to_string(i), Value(-i)});
        inner.push_back({"k0", Value("inner again")});

        Value value = collect(text, members, std::size_t(size), inner);
        ASSERT_TRUE(value.isDictionary());
        auto object = value.dictionary();
        ASSERT_EQ(object->count(), std::size_t(size) + 1);
        auto keys = object->keys();
        EXPECT_EQ(keys.front(), "k0");
        EXPECT_EQ(keys[std::size_t(size) - 1], last);
        EXPECT_EQ(keys.back(), "inner");
        EXPECT_EQ(object->get("k0"), Value("first thrice"));
        EXPECT_EQ(object->get("k" + std::to_string(size / 2)), Value("middle again"));
        EXPECT_EQ(object->get(last), Value("last again"));
        EXPECT_EQ(object->get("k3"), Value(3));
        auto inside = object->dictionary("inner");
        ASSERT_TRUE(inside);
        EXPECT_EQ(inside->count(), std::size_t(size + 1) / 2);
        EXPECT_EQ(inside->get("k0"), Value("inner again"));
        EXPECT_EQ(inside->keys().front(), "k0");
    }
}
