#include "imaging/Parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace mrv::imaging {

bool RunInParallel(std::size_t count, int threads,
                   const std::function<void(std::size_t job, int worker)>& job) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto worker = [&](int w) {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                job(i, w);
            } catch (...) {
                failed = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted =
        count == 0 ? 0 : std::min(count, static_cast<std::size_t>(std::max(threads, 1))) - 1;
    try {
        helpers.reserve(wanted);
        for (std::size_t i = 0; i < wanted; ++i)
            helpers.emplace_back(worker, static_cast<int>(i + 1));
    } catch (...) {
        // Fewer helpers; the jobs still all get done.
    }
    worker(0);
    for (std::thread& t : helpers) t.join();
    return !failed;
}

}  // namespace mrv::imaging
