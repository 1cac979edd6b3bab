// Millisecond tick arithmetic for GetTickCount64 values.
//
// The counter is 64 bits wide and counts from system start, so it never
// wraps in a real uptime and a difference is a plain subtraction. A tick read
// after `now` (a callback armed between reading `now` and using it) counts as
// no time passed, never as an age of nearly 2^64 ms.
#pragma once

#include <cstdint>

namespace mrv {

constexpr std::uint64_t ElapsedMs(std::uint64_t now, std::uint64_t since) {
    return now > since ? now - since : 0;
}

// The delayed callback fires once strictly more than `delay` ms have passed.
constexpr bool DelayExpired(std::uint64_t now, std::uint64_t armedAt, std::uint64_t delay) {
    return delay != 0 && ElapsedMs(now, armedAt) > delay;
}

// A frame is due once at least `interval` ms have passed since the last tick.
constexpr bool FrameDue(std::uint64_t now, std::uint64_t lastTick, std::uint64_t interval) {
    return interval != 0 && ElapsedMs(now, lastTick) >= interval;
}

}  // namespace mrv
