// Millisecond tick arithmetic for timeGetTime values.
//
// The counter is an unsigned 32-bit number that wraps after about 49.7 days.
// Differences taken in unsigned 32-bit arithmetic stay correct across the wrap
// as long as the real interval is shorter than the wrap period.
#pragma once

#include <cstdint>

namespace mrv {

constexpr std::uint32_t ElapsedMs(std::uint32_t now, std::uint32_t since) {
    return static_cast<std::uint32_t>(now - since);
}

// The delayed callback fires once strictly more than `delay` ms have passed.
constexpr bool DelayExpired(std::uint32_t now, std::uint32_t armedAt, std::uint32_t delay) {
    return delay != 0 && ElapsedMs(now, armedAt) > delay;
}

// A frame is due once at least `interval` ms have passed since the last tick.
constexpr bool FrameDue(std::uint32_t now, std::uint32_t lastTick, std::uint32_t interval) {
    return interval != 0 && ElapsedMs(now, lastTick) >= interval;
}

}  // namespace mrv
