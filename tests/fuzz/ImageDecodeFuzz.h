#pragma once

// Shared by the image decoding fuzz targets: the input is decoded as the
// target's format (its signature is written over the first bytes, so that
// mutations spend their time inside the decoder rather than the sniffer), and
// every decoded frame is read back, so that a bitmap smaller than its
// declared size shows up under the address checker.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

inline int fuzzImageDecode(const std::uint8_t* data, std::size_t size, const std::uint8_t* signature,
                           std::size_t signatureLength)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() < signatureLength)
        bytes.resize(signatureLength);
    std::memcpy(bytes.data(), signature, signatureLength);
    // A few frames are enough to reach every path of the frame loop.
    auto frames = pf::decodeImageFrames(bytes.data(), bytes.size(), 1, 4);
    if (!frames)
        return 0;
    if (frames.value().empty())
        std::abort();
    for (const auto& frame : frames.value()) {
        const pf::Bitmap& bitmap = *frame.bitmap;
        if (bitmap.pixelWidth() <= 0 || bitmap.pixelHeight() <= 0
            || std::uint64_t(bitmap.pixelWidth()) * std::uint64_t(bitmap.pixelHeight()) > pf::maxDecodedPixels)
            std::abort();
        volatile std::uint8_t sink = 0;
        sink = sink + bitmap.pixel(0, 0).a + bitmap.pixel(bitmap.pixelWidth() - 1, bitmap.pixelHeight() - 1).a;
    }
    return 0;
}
