#pragma once

// Failures of the collector's JSON decoder and encoder: domain
// "TXJKErrorDomain", code -1, the message, and for parse errors the byte
// index and line of the fault.

#include <cstddef>
#include <string>

struct TXJKError {
    std::string domain = "TXJKErrorDomain";
    long long code = -1;
    std::string description;
    std::size_t atIndex = 0;  // "TXJKAtIndexKey"
    long lineNumber = 0;      // "TXJKLineNumberKey"
};
