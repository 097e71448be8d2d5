#include "framework/util/json_scan.h"
#include "framework/util/ptr_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A table that builds plain nodes and dumps them as text, so the scanner's
// walk can be checked without the object layer. It also counts releases.
struct Node {
    char kind; // o, a, n (number text), s (string), b, z (null)
    std::string text;
    std::vector<std::pair<std::string, Node*>> children;
    int releases = 0;
};

struct Builder {
    std::vector<std::unique_ptr<Node>> nodes;
    Node* make(char kind, std::string text = {})
    {
        nodes.push_back(std::make_unique<Node>(Node{kind, std::move(text), {}}));
        return nodes.back().get();
    }
};

Builder& builder(void* user) { return *static_cast<Builder*>(user); }

const json_callbacks table = {
    [](const json_callbacks*, void* user) -> void* { return builder(user).make('o'); },
    [](const json_callbacks*, void* object, const char* key, uint32_t length, void* value, void*) {
        EXPECT_EQ(std::strlen(key), length);
        auto& members = static_cast<Node*>(object)->children;
        for (auto it = members.begin(); it != members.end(); ++it)
            if (it->first == key) {
                members.erase(it);
                break;
            }
        if (value)
            members.emplace_back(key, static_cast<Node*>(value));
    },
    [](const json_callbacks*, void* user) -> void* { return builder(user).make('a'); },
    [](const json_callbacks*, void* array, void* value, void*) {
        static_cast<Node*>(array)->children.emplace_back("", static_cast<Node*>(value));
    },
    [](const json_callbacks*, const char* text, uint32_t length, void* user) -> void* {
        return builder(user).make('n', std::string(text, length));
    },
    [](const json_callbacks*, const char* bytes, uint32_t length, byte_buffer*, void* user) -> void* {
        return builder(user).make('s', std::string(bytes, length));
    },
    [](const json_callbacks*, int value, void* user) -> void* { return builder(user).make('b', value ? "1" : "0"); },
    [](const json_callbacks*, void* user) -> void* { return builder(user).make('z'); },
    [](const json_callbacks*, void* value, void*) { static_cast<Node*>(value)->releases++; },
};

std::string dump(const Node* node)
{
    if (!node)
        return "nil";
    switch (node->kind) {
    case 'o':
    case 'a': {
        std::string out(1, node->kind == 'o' ? '{' : '[');
        bool first = true;
        for (const auto& [key, child] : node->children) {
            if (!first)
                out += ',';
            first = false;
            if (node->kind == 'o')
                out += key + '=';
            out += dump(child);
        }
        return out + (node->kind == 'o' ? '}' : ']');
    }
    case 'n': return "#" + node->text;
    case 's': return "'" + node->text + "'";
    case 'b': return node->text == "1" ? "true" : "false";
    default: return "null";
    }
}

struct Scan {
    std::string text;
    int badReleases = 0;
};

Scan scan(const std::string& text)
{
    Builder b;
    auto* root = static_cast<Node*>(json_scan(&table, text.c_str(), &b));
    Scan result{dump(root)};
    for (const auto& node : b.nodes)
        if (node->releases != (node.get() == root ? 0 : 1))
            result.badReleases++;
    return result;
}

}

TEST(JsonScan, ReadsTheLenientDialectAndItsEscapes)
{
    struct Row {
        const char* text;
        std::string dump;
    } rows[] = {
        {R"({"a":1,"b":"x"})", "{a=#1,b='x'}"},
        {R"({a:1, b:"x"})", "{a=#1,b='x'}"},
        {R"({"a":1 "b":2})", "{a=#1,b=#2}"},
        {"[1 2\n3]", "[#1,#2,#3]"},
        {R"({"a":1.5,"b":-2,"c":1e3,"d":12345678901})", "{a=#1.5,b=#-2,c=#1e3,d=#12345678901}"},
        {R"({"a":{"b":[1,{"c":null}]}})", "{a={b=[#1,{c=null}]}}"},
        {R"({"a":true,"b":false,"c":null})", "{a=true,b=false,c=null}"},
        {R"([true,false,null,"s"])", "[true,false,null,'s']"},
        {R"({"a":1,"a":2})", "{a=#2}"},
        {"{ab :1}", "{ab =#1}"},
        // A colon ends a key even inside quotes.
        {R"({"a:b":1})", "{a=#,b=#1}"},
        {R"({"k\"q":1})", "{k\"q=#1}"},
        {R"({"k\n":1})", "{k\\n=#1}"},
        {"[[],{}]", "[[],{}]"},
        {"  true", "true"},
        {"\xEF\xBB\xBF{\"a\":1}", "{a=#1}"},
        {"42 ", "#42"},
        {"\"s\" ", "'s'"},
        // A top-level scalar is only produced when a byte follows it.
        {"42", "nil"},
        {"\"s\"", "nil"},
        {"", "nil"},
        {R"({"a":1e+5,"b":2})", "{a=#1e+5,b=#2}"},
        {R"({"a":1E5,"b":"x"})", "{a=#1E5,b='x'}"},
        {"[1E-2,+3]", "[#1E-2,#+3]"},
        {R"(["\u4e2d\u0041\U0042"])", "['\xE4\xB8\xAD" "AB']"},
        {R"(["a\'b\"c\\d\/e\bf\r\t\n"])", "['a'b\"c\\d/ebf\r\t\n']"},
        {R"(["\ud83d\ude00\uD83D\uDE00x"])", "['\xF0\x9F\x98\x80\xF0\x9F\x98\x80x']"},
        // Lone or reversed surrogate halves become replacement characters.
        {R"(["\ud83dx"])", "['\xEF\xBF\xBDx']"},
        {R"(["\ude00\ud83d"])", "['\xEF\xBF\xBD\xEF\xBF\xBD']"},
        {R"(["\ud83d\u0041"])", "['\xEF\xBF\xBD" "A']"},
        {R"(["\u12zz"])", std::string("['\x12']", 5)},
        {R"(["\u00zz!"])", std::string("['\0!']", 6)},
        {"[\"raw\ttab \xE4\xB8\xAD\"]", "['raw\ttab \xE4\xB8\xAD']"},
        // Runs of escapes mixing three-byte characters with the others.
        {R"(["\u4e2d\u4E2D\U4e2d\ud83d\u4e2d\u00e9\uffff\u0800\u07ff\ud7ff\ue000x"])",
         "['\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xEF\xBF\xBD\xE4\xB8\xAD\xC3\xA9\xEF\xBF\xBF\xE0\xA0\x80\xDF\xBF"
         "\xED\x9F\xBF\xEE\x80\x80x']"},
        {R"(["\u4e2d\\u4e2d\n\u4e2d"])", "['\xE4\xB8\xAD\\u4e2d\n\xE4\xB8\xAD']"},
    };
    for (const auto& row : rows) {
        Scan s = scan(row.text);
        EXPECT_EQ(s.text, row.dump) << row.text;
        EXPECT_EQ(s.badReleases, 0) << row.text;
    }
    // A run of escapes far longer than the value buffer's first room.
    std::string escaped, expected;
    for (int i = 0; i < 300; i++) {
        escaped += i % 7 ? "\\u4e2d" : "\\u00e9";
        expected += i % 7 ? "\xE4\xB8\xAD" : "\xC3\xA9";
    }
    EXPECT_EQ(scan("[\"" + escaped + "\"]").text, "['" + expected + "']");
}

TEST(JsonScan, MalformedTextNeverReadsAsAValue)
{
    struct Row {
        const char* text;
        const char* dump;
    } rows[] = {
        {"<html><body>502 Bad Gateway</body></html>", "nil"},
        {"   hello", "nil"},
        {"tru", "nil"},
        // Truncated text keeps the containers read so far; the member being
        // read when the text ended is lost.
        {R"({"a":1,"b":2)", "{a=#1}"},
        {R"({"a":[1,2)", "{a=[#1]}"},
        {R"({"a":"x)", "{}"},
        {R"({"a":"x\)", "{}"},
        {R"(["a\u12)", "[]"},
        {R"(["\u4e2d\u4e)", "[]"},
        // Bytes that cannot begin a value inside an array are skipped.
        {"[1,}@,2]", "[#1,#2]"},
        {"[@@@", "[]"},
        // A string that is not valid UTF-8 gives no value: the member is
        // left out, the element skipped, the scan goes on.
        {"{\"a\":\"\xff\",\"b\":1}", "{b=#1}"},
        {"[\"\xff\",1]", "[#1]"},
        // Escaped raw bytes are judged with their neighbours.
        {"[\"\xE4\xB8\\\xAD\",\"\xE4\\\xB8\xAD\",\"\\\xAD\"]", "['\xE4\xB8\xAD','\xE4\xB8\xAD']"},
        // A sequence cut by an escape or the quote, overlong forms,
        // surrogates and code points past U+10FFFF are invalid.
        {"[\"\xE4\xB8\\n\",\"\xE4\\u00e9\",\"\xC3\",\"\xC0\x80\",\"\xED\xA0\x80\",\"\xF4\x90\x80\x80\",1]", "[#1]"},
        {"[\"\xF0\x9F\x98\x80\xEF\xBF\xBD\xC3\xA9\"]", "['\xF0\x9F\x98\x80\xEF\xBF\xBD\xC3\xA9']"},
        {"\"\xff\" ", "nil"},
        // A key that is not valid UTF-8 sets nothing, also unquoted.
        {"{\"\xfe\":1,\xE4\xB8:2,\xE4\xB8\xAD:3}", "{\xE4\xB8\xAD=#3}"},
        // Text after the outermost value is ignored.
        {"{\"a\":1} {\"b\":2}", "{a=#1}"},
    };
    for (const auto& row : rows) {
        Scan s = scan(row.text);
        EXPECT_EQ(s.text, row.dump) << row.text;
        EXPECT_EQ(s.badReleases, 0) << row.text;
    }
    EXPECT_EQ(json_scan(&table, nullptr, nullptr), nullptr);
}

TEST(JsonScan, DeepNestingStopsAtTheLimit)
{
    std::string deep(100000, '[');
    Scan s = scan(deep);
    EXPECT_EQ(s.badReleases, 0);
    EXPECT_EQ(s.text.size(), 2u * JSON_SCAN_MAX_DEPTH);

    std::string ok = std::string(JSON_SCAN_MAX_DEPTH, '[') + std::string(JSON_SCAN_MAX_DEPTH, ']');
    EXPECT_EQ(scan(ok).text, ok);
    std::string objects;
    for (int i = 0; i < 5000; i++)
        objects += "{\"a\":";
    EXPECT_EQ(scan(objects).badReleases, 0);
}

TEST(PtrList, StackAndRemovalBoundaries)
{
    ptr_list* list = ptr_list_create(1, 1);
    for (intptr_t i = 1; i <= 5; i++)
        ASSERT_TRUE(ptr_list_push(list, i));
    EXPECT_EQ(ptr_list_count(list), 5);
    EXPECT_EQ(ptr_list_remove_at(list, 1), 2);
    EXPECT_EQ(ptr_list_get(list, 1), 3);
    EXPECT_EQ(ptr_list_get(list, 4), 0);
    EXPECT_EQ(ptr_list_get(list, -1), 0);
    EXPECT_EQ(ptr_list_pop(list), 5);
    EXPECT_EQ(ptr_list_last(list), 4);
    EXPECT_EQ(ptr_list_count(list), 3);
    ptr_list_free(list);
    EXPECT_EQ(ptr_list_pop(nullptr), 0);
    EXPECT_EQ(ptr_list_count(nullptr), 0);
}
