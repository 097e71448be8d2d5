// Links: c_db
// Hostile record, index and blob files for the record-file store. The input
// is split into the ".db", "_key.idx" and ".bob" files by two 16-bit length
// prefixes; then every record, value, blob and index run is read.

#include "c/db/fdb.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string& basePath()
{
    static std::string base = [] {
        char dir[] = "/tmp/recordfile-fuzz-XXXXXX";
        const char* made = mkdtemp(dir);
        return std::string(made ? made : "/tmp") + "/store";
    }();
    return base;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

std::uint64_t sink;
volatile std::uint64_t observed;

void readRecord(_FDB* db, const void* record)
{
    const _FDBClass* cls = db->dbClass;
    for (std::uint32_t i = 0; i < cls->propertyCount; ++i) {
        const _FDBProperty* p = &cls->properties[i];
        sink += static_cast<std::uint64_t>(FDBIntValue(record, p, 0));
        sink += static_cast<std::uint64_t>(FDBInt64Value(record, p, 0));
        sink += static_cast<std::uint64_t>(FDBDoubleValue(record, p, 0) != 0);
        if (const char* s = FDBStringValue(record, p, nullptr))
            sink += s[0];
        std::uint64_t offset = FDBBlobOffset(record, p, 0);
        std::uint32_t length = 0;
        if (const auto* blob = static_cast<const std::uint8_t*>(FDBBlobRead(db, offset, &length)))
            sink += length ? blob[length - 1] : 0;
    }
}

void readIndex(_FDBIndexDB* idx)
{
    _FDBIndexCursor cursor{};
    FDBIndexCursorInit(&cursor.data, idx->index);
    FDBIndexCursorSetBufferSize(&cursor.data, 3);
    const void* first = FDBIndexCursorToBegin(idx, &cursor, nullptr, nullptr);
    int walked = 0;
    for (const void* item = first; item && walked < 64; item = FDBIndexCursorToNext(idx, &cursor, nullptr, nullptr))
        ++walked;
    if (idx->index->propertyCount > 1) {
        const _FDBProperty* keyProperty = &idx->index->properties[1];
        _FDBIndexCursorProperty key{};
        key.property = keyProperty;
        key.mode = -1;
        key.stringMatch = 1;
        key.int64Value = 7;
        if (keyProperty->type == FDB_TYPE_STRING)
            key.stringValue = "a";
        int run = 0;
        for (void* item = FDBIndexCursorToBeginWithKeys(idx, &cursor, &key, 1); item && run < 64;
             item = FDBIndexCursorToNextWithKeys(idx, &cursor, &key, 1))
            ++run;
    }
    FDBIndexCursorCleanup(&cursor.data);
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    std::size_t dbSize = data[0] | (data[1] << 8);
    std::size_t idxSize = data[2] | (data[3] << 8);
    data += 4;
    size -= 4;
    if (dbSize > size)
        dbSize = size;
    if (idxSize > size - dbSize)
        idxSize = size - dbSize;
    const std::string& base = basePath();
    writeFile(base + ".db", data, dbSize);
    writeFile(base + "_key.idx", data + dbSize, idxSize);
    writeFile(base + ".bob", data + dbSize + idxSize, size - dbSize - idxSize);

    if (_FDB* db = FDBOpen(base.c_str())) {
        _FDBCursor cursor{};
        FDBCursorInit(&cursor.data, db->dbClass);
        if (FDBCursorSetBufferCount(&cursor.data, 4) == 0) {
            int n = 0;
            while (void* record = FDBCursorNext(db, &cursor)) {
                readRecord(db, record);
                if (++n > 256)
                    break;
            }
            const std::int64_t rows[] = {0, 1, 2, FDBRowCount(db), FDBRowCount(db) + 1};
            for (std::int64_t row : rows)
                if (void* record = FDBCursorToRowid(db, &cursor, row))
                    readRecord(db, record);
        }
        FDBCursorCleanup(&cursor.data);
        FDBClose(db);
    }
    if (_FDBIndexDB* idx = FDBIndexOpen(base.c_str(), "key")) {
        readIndex(idx);
        FDBIndexClose(idx);
    }
    observed = sink;
    return 0;
}
