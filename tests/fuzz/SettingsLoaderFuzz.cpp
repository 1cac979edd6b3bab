// libFuzzer harness for the settings file loader: any bytes must load without
// a crash or sanitizer report, pass the checks the unit tests apply to every
// loaded file (tests/unit/settings/SettingsInvariants.h), the extension block
// behind the 568 bytes included, and give sequential paths that lie in the
// save folder itself (tests/unit/naming/SequentialInvariants.h).
//
// Random bytes almost never carry a block whose CRC matches, so each input is
// also tried once more with the CRC patched to fit whatever length word and
// fields it holds: the fuzzer then reaches the field decoding too.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/unit/naming/SequentialInvariants.h"
#include "tests/unit/settings/SettingsInvariants.h"

namespace {

void Check(const std::uint8_t* data, std::size_t size) {
    mrv::Settings settings;
    std::string failure = mrv::testing::CheckFileLoad(data, size, settings);
    if (failure.empty()) failure = mrv::testing::CheckSequentialPaths(settings, L"img0001.png");
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(data, size);
    const std::size_t head = mrv::kSettingsFileSize + mrv::kExtensionHeadSize;
    if (size < head) return 0;
    const std::size_t length = data[head - 4] | data[head - 3] << 8;  // up to 64 KiB
    if (size < head + length + 4) return 0;
    std::vector<std::uint8_t> patched(data, data + size);
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, patched.data() + head, static_cast<uInt>(length)));
    patched[head - 2] = patched[head - 1] = 0;
    for (int i = 0; i < 4; ++i)
        patched[head + length + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    Check(patched.data(), patched.size());
    return 0;
}
