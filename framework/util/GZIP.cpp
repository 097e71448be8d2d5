#include "framework/util/GZIP.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace {

constexpr std::size_t kEncodeStep = 16384;
// zlib counts in 32-bit units; larger inputs and outputs go in slices.
constexpr std::size_t kSlice = UINT_MAX;

}

std::optional<pf::Bytes> GZIPEncode(const pf::Bytes& data)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    pf::Bytes out(kEncodeStep);
    std::size_t written = 0;
    std::size_t consumed = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (written == out.size())
            out.resize(out.size() + std::max(kEncodeStep, out.size() / 2));
        std::size_t inSlice = std::min(kSlice, data.size() - consumed);
        std::size_t outSlice = std::min(kSlice, out.size() - written);
        stream.next_in = const_cast<Bytef*>(data.data() + consumed);
        stream.avail_in = static_cast<uInt>(inSlice);
        stream.next_out = out.data() + written;
        stream.avail_out = static_cast<uInt>(outSlice);
        bool last = consumed + inSlice == data.size();
        status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
        consumed += inSlice - stream.avail_in;
        written += outSlice - stream.avail_out;
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            deflateEnd(&stream);
            return std::nullopt;
        }
    }
    if (deflateEnd(&stream) != Z_OK)
        return std::nullopt;
    out.resize(written);
    return out;
}

std::optional<pf::Bytes> GZIPDecode(const pf::Bytes& data, std::size_t maxOutput)
{
    if (data.empty())
        return std::nullopt;
    std::size_t limit = maxOutput == 0 ? SIZE_MAX : maxOutput;
    z_stream stream{};
    if (inflateInit2(&stream, 47) != Z_OK)
        return std::nullopt;
    // Start at one and a half times the input and double from there, so a
    // large output costs a logarithmic number of enlargements.
    std::size_t initial = data.size() + data.size() / 2;
    pf::Bytes out(std::min(std::max<std::size_t>(initial, 64), limit == SIZE_MAX ? SIZE_MAX : limit + 1));
    std::size_t written = 0;
    std::size_t consumed = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (written == out.size()) {
            if (out.size() > limit)
                break;
            std::size_t grown = out.size() > SIZE_MAX / 2 ? SIZE_MAX : out.size() * 2;
            // One byte past the limit is enough to tell that it was passed.
            out.resize(limit == SIZE_MAX ? grown : std::min(grown, limit + 1));
        }
        std::size_t inSlice = std::min(kSlice, data.size() - consumed);
        std::size_t outSlice = std::min(kSlice, out.size() - written);
        stream.next_in = const_cast<Bytef*>(data.data() + consumed);
        stream.avail_in = static_cast<uInt>(inSlice);
        stream.next_out = out.data() + written;
        stream.avail_out = static_cast<uInt>(outSlice);
        status = inflate(&stream, Z_SYNC_FLUSH);
        consumed += inSlice - stream.avail_in;
        written += outSlice - stream.avail_out;
        // Input used up without the end of the stream: truncated.
        if (status == Z_OK && consumed == data.size() && stream.avail_out > 0)
            break;
        if (status == Z_BUF_ERROR && written == out.size())
            status = Z_OK; // only out of room: grow and go on
    }
    bool ended = inflateEnd(&stream) == Z_OK;
    if (!ended || status != Z_STREAM_END || written > limit)
        return std::nullopt;
    out.resize(written);
    return out;
}
