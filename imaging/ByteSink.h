// Where the image writers put their bytes. Files are the caller's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mrv::imaging {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Returns false when the bytes could not be taken; the writer then fails.
    [[nodiscard]] virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

// Collects everything in memory.
class VectorSink final : public ByteSink {
public:
    [[nodiscard]] bool Write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
};

}  // namespace mrv::imaging
