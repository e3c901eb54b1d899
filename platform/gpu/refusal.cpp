#include "platform/gpu/refusal.h"

#include <array>
#include <atomic>
#include <cstdio>

namespace gpu {

namespace {

// The device runs on the render thread while tests and tools read the counts elsewhere.
std::array<std::atomic<std::uint64_t>, com::kEnumCount<Refusal>>& Counts() {
    static std::array<std::atomic<std::uint64_t>, com::kEnumCount<Refusal>> counts{};
    return counts;
}

HRESULT Count(Refusal item, const std::string* detail) {
    // Only the call that takes the count from 0 writes the line, whichever thread it is on.
    if (Counts()[com::EnumIndex(item)].fetch_add(1, std::memory_order_relaxed) == 0) {
        const std::string message = RefusalMessage(item);
        if (detail)
            std::fprintf(stderr, "orrery3d gpu: %s (%s)\n", message.c_str(), detail->c_str());
        else
            std::fprintf(stderr, "orrery3d gpu: %s\n", message.c_str());
    }
    return D3DERR_INVALIDCALL;
}

}  // namespace

HRESULT Refuse(Refusal item) { return Count(item, nullptr); }

HRESULT Refuse(Refusal item, const std::string& detail) { return Count(item, &detail); }

std::string RefusalMessage(Refusal item) {
    const RefusalText& row = kRefusals[com::EnumIndex(item)];
    return std::string(row.method) + " refused: " + row.argument + " " + row.reason;
}

std::uint64_t RefusalCount(Refusal item) {
    return Counts()[com::EnumIndex(item)].load(std::memory_order_relaxed);
}

std::uint64_t RefusalTotal() {
    std::uint64_t total = 0;
    for (const auto& count : Counts()) total += count.load(std::memory_order_relaxed);
    return total;
}

void ResetRefusals() {
    for (auto& count : Counts()) count.store(0, std::memory_order_relaxed);
}

}  // namespace gpu
