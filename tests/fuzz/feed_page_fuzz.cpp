// Links: zmr_screens
// Bytes as a page answer of a home feed (ZMRFeedDataSource), every entry
// filled into the shipped row template and drawn: see FeedFuzz.h.
#include "FeedFuzz.h"

#include "app/screens/feed/ZMRFeedDataSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return feedfuzz::run<ZMRFeedDataSource>(data, size);
}
