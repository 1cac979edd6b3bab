// Inside the image library: work split over a few threads.
#pragma once

#include <cstddef>
#include <functional>

namespace mrv::imaging {

// Runs job(0, w) .. job(count - 1, w) on up to `threads` threads, the calling
// one included; w (0 .. threads - 1) names the thread, so a job can use
// scratch kept per thread. Each thread takes the next job as it finishes one,
// and all are joined before returning. If a thread cannot be started, the
// others do its share. An exception from a job stays on its thread: the
// remaining jobs still run and the result is false.
[[nodiscard]] bool RunInParallel(std::size_t count, int threads,
                                 const std::function<void(std::size_t job, int worker)>& job);

// [first, end) of `parts` near-equal parts of `total`: part i.
struct Span {
    int first;
    int end;
};
inline Span PartOf(int total, int parts, int i) {
    return {static_cast<int>(static_cast<long long>(total) * i / parts),
            static_cast<int>(static_cast<long long>(total) * (i + 1) / parts)};
}

}  // namespace mrv::imaging
