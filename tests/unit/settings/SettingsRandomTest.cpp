// Random bytes through the loader: a seeded, repeatable cousin of the fuzz
// harness in tests/fuzz.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "settings/Settings.h"
#include "tests/unit/settings/SettingsInvariants.h"

namespace mrv {
namespace {

TEST(SettingsRandomBytes, AnyInputLoadsSafely) {
    std::mt19937 rng(0x5e771265u);
    auto byte = [&rng] { return static_cast<std::uint8_t>(rng() & 0xFF); };
    Settings reference;
    ResetSettings(reference, "C:\\exe\\");
    const std::vector<std::uint8_t> untouched = EncodeSettings(reference);

    for (int round = 0; round < 4000; ++round) {
        std::vector<std::uint8_t> data(rng() % 700);
        for (auto& b : data) b = byte();
        // Most inputs carry the tag; a third hold the extreme words a damaged
        // file most likely has.
        if (round % 8 != 0 && data.size() >= 8) std::memcpy(data.data(), "ver_0_87", 8);
        for (std::size_t i = 8; round % 3 == 0 && i + 4 <= data.size(); i += 4) {
            if (byte() < 64) std::memset(&data[i], byte() < 128 ? 0xFF : 0x00, 4);
            if (byte() < 32) data[i + 3] = 0x7F;
        }

        Settings s = reference;
        const int result = DecodeSettings(data.data(), data.size(), s);
        const bool ok =
            data.size() >= kSettingsFileSize && std::memcmp(data.data(), "ver_0_87", 8) == 0;
        ASSERT_EQ(result, ok ? 1 : 0) << "round " << round;
        if (!ok) {
            ASSERT_EQ(EncodeSettings(s), untouched) << "round " << round;
            continue;
        }
        ASSERT_EQ(testing::FirstSettingsViolation(s), "") << "round " << round;
        // A loaded record is a fixed point: its own image loads unchanged.
        const auto image = EncodeSettings(s);
        Settings again;
        ASSERT_EQ(DecodeSettings(image.data(), image.size(), again), 1);
        ASSERT_EQ(EncodeSettings(again), image) << "round " << round;
    }
}

}  // namespace
}  // namespace mrv
