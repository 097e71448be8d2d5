#pragma once

// The JSON documents the codec benchmarks share: a feed answer of about 60 KB
// (20 items) and a list of about 2 MB, both shaped like the application
// server's answers (nested objects, arrays, escaped and raw CJK text,
// integers, reals, Booleans and null); and one object of many keys, the
// hostile shape for a parser that looks for repeated keys.

#include <string>

namespace bench_json {

inline std::string item(int i, int textRepeat)
{
    std::string text;
    for (int r = 0; r < textRepeat; r++)
        text += "\\u4eca\\u5929\\u5728\\u8d85\\u5e02\\u4e70\\u4e86\\u725b\\u5976 ";
    text += "\xE7\x9C\x81\xE4\xBA\x86\xE4\xB8\x8D\xE5\xB0\x91\xE9\x92\xB1 saved a lot, \\\"quoted\\\" and \\n new line";
    std::string id = std::to_string(100000000000LL + i);
    return "{\"id\":" + id + ",\"uid\":" + std::to_string(5000 + i % 97) +
           ",\"nick\":\"\xE5\xBC\xA0\xE4\xB8\x89" + std::to_string(i) + "\",\"portrait\":\"http://img.example.com/p/" + id +
           ".jpg\",\"content\":\"" + text + "\",\"price\":" + std::to_string(12.5 + i) + ",\"usual\":" +
           std::to_string(20.75 + i) + ",\"shop\":\"Shop " + std::to_string(i) +
           "\",\"address\":\"\xE5\x8C\x97\xE4\xBA\xAC\xE5\xB8\x82 Road " + std::to_string(i) +
           "\",\"lat\":39.9042,\"lng\":116.4074,\"likes\":" + std::to_string(i * 3) + ",\"liked\":" +
           (i % 2 ? "true" : "false") + ",\"comments\":" + std::to_string(i % 11) +
           ",\"images\":[\"http://img.example.com/a/" + id + "_1.jpg\",\"http://img.example.com/a/" + id +
           "_2.jpg\"],\"tags\":[{\"id\":1,\"name\":\"\xE9\xA3\x9F\xE5\x93\x81\"},{\"id\":2,\"name\":\"food\"}],"
           "\"category\":null,\"time\":1700000000}";
}

inline std::string document(int items, int textRepeat)
{
    std::string out = "{\"error-code\":0,\"error\":\"\",\"timestamp\":1700000000,\"results\":{\"page\":1,\"list\":[";
    for (int i = 0; i < items; i++) {
        if (i)
            out += ',';
        out += item(i, textRepeat);
    }
    return out + "]}}";
}

inline const std::string& feed()
{
    static const std::string text = document(20, 40);
    return text;
}

inline const std::string& list()
{
    static const std::string text = document(2400, 8);
    return text;
}

// {"k0":1,…,"k<n-1>":1}.
inline std::string manyKeys(int keys)
{
    std::string out = "{";
    for (int i = 0; i < keys; i++)
        out += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":1";
    return out + "}";
}

}
