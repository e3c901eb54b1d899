// Cache-key hashing: every field and every byte of a key takes part.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "platform/gpu/hash_combine.h"

namespace {

TEST(HashCombineTest, EachFieldAndItsPlaceChangeTheHash) {
    const std::array<std::uint64_t, 5> base = {7, 1ull << 40, 12, 0xFFFFFFFFull, 0};
    auto hash = [](const std::array<std::uint64_t, 5>& f) { return gpu::HashFields(f[0], f[1], f[2], f[3], f[4]); };
    const std::size_t h = hash(base);
    for (std::size_t i = 0; i < base.size(); ++i) {
        for (std::uint64_t delta : {1ull, 1ull << 32, 1ull << 63}) {
            auto changed = base;
            changed[i] ^= delta;
            EXPECT_NE(hash(changed), h) << "field " << i << " changed by " << delta;
        }
    }
    EXPECT_NE(gpu::HashFields(1, 2), gpu::HashFields(2, 1)) << "fields in another order";
    EXPECT_NE(gpu::HashFields(-1, true), gpu::HashFields(1, true)) << "a negative field";
}

TEST(HashCombineTest, EveryByteOfAKeyTakesPart) {
    // 13 bytes: one whole word and a tail.
    std::array<unsigned char, 13> key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(3 * i + 1);
    const std::size_t h = gpu::HashBytes(key.data(), key.size());
    EXPECT_EQ(gpu::HashBytes(key.data(), key.size()), h);
    for (std::size_t i = 0; i < key.size(); ++i) {
        auto changed = key;
        changed[i] ^= 0x80;
        EXPECT_NE(gpu::HashBytes(changed.data(), changed.size()), h) << "byte " << i;
    }
    EXPECT_NE(gpu::HashBytes(key.data(), 12), h) << "a shorter key";
}

}  // namespace
