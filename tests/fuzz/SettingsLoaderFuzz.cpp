// libFuzzer harness for the settings file loader: any bytes must load without
// a crash or sanitizer report, pass the checks the unit tests apply to every
// loaded record (tests/unit/settings/SettingsInvariants.h), and give
// sequential paths that lie in the save folder itself
// (tests/unit/naming/SequentialInvariants.h).
#include <cstdio>
#include <cstdlib>

#include "tests/unit/naming/SequentialInvariants.h"
#include "tests/unit/settings/SettingsInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mrv::Settings settings;
    std::string failure = mrv::testing::CheckLoad(data, size, settings);
    if (failure.empty()) failure = mrv::testing::CheckSequentialPaths(settings, L"img0001.png");
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
