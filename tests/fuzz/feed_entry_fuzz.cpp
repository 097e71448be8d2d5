// Links: zmr_screens
// Bytes as a page answer of a user's feed (ZMRUserFeedDataSource), every
// entry filled into the shipped row template and drawn: see FeedFuzz.h.
#include "FeedFuzz.h"

#include "app/screens/people/ZMRUserFeedDataSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return feedfuzz::run<ZMRUserFeedDataSource>(data, size);
}
