#include "sdk/analytics/TXJSONDeserializing.h"

#include "sdk/analytics/TXJSONDecoder.h"

pf::Value mutableObjectFromJSONString(const std::string& text, unsigned parseOptions, TXJKError* error)
{
    TXJSONDecoder decoder(parseOptions);
    return decoder.mutableObjectWithUTF8String(text.data(), text.size(), error);
}

pf::Value mutableObjectFromJSONData(const pf::Bytes& data, unsigned parseOptions, TXJKError* error)
{
    TXJSONDecoder decoder(parseOptions);
    return decoder.mutableObjectWithData(&data, error);
}

pf::Value parseUTF8String(TXJSONDecoder& decoder, const char* string, std::size_t length, TXJKError* error)
{
    return decoder.objectWithUTF8String(string, length, error);
}

pf::Value parseJSONData(TXJSONDecoder& decoder, const pf::Bytes* data, TXJKError* error)
{
    return decoder.objectWithData(data, error);
}
