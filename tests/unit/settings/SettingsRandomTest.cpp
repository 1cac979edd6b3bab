// Random bytes through the loader (a seeded, repeatable cousin of the fuzz
// harness in tests/fuzz): no crash, a result that matches the tag and size
// rule, and every field in range afterwards.
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
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 700);
    Settings reference;
    ResetSettings(reference, "C:\\exe\\");
    const std::vector<std::uint8_t> untouched = EncodeSettings(reference);

    for (int round = 0; round < 4000; ++round) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(length(rng)));
        for (auto& b : data) b = static_cast<std::uint8_t>(byte(rng));
        // Most inputs carry the right tag, so the field decoding is exercised.
        if (round % 8 != 0 && data.size() >= 8) std::memcpy(data.data(), "ver_0_87", 8);
        // Some hold extreme words, the values a damaged file most likely has.
        if (round % 3 == 0) {
            for (std::size_t i = 8; i + 4 <= data.size(); i += 4) {
                if (byte(rng) < 64) std::memset(data.data() + i, byte(rng) < 128 ? 0xFF : 0x00, 4);
                if (byte(rng) < 32) data[i + 3] = 0x7F;
            }
        }

        Settings s = reference;
        const int result = DecodeSettings(data.data(), data.size(), s);
        const bool acceptable =
            data.size() >= kSettingsFileSize && std::memcmp(data.data(), "ver_0_87", 8) == 0;
        ASSERT_EQ(result, acceptable ? 1 : 0) << "round " << round;
        if (result == 0) {
            ASSERT_EQ(EncodeSettings(s), untouched) << "round " << round;
        } else {
            ASSERT_EQ(testing::FirstSettingsViolation(s), "") << "round " << round;
            // A sanitized record is a fixed point: loading its own image changes nothing.
            const auto image = EncodeSettings(s);
            Settings again;
            ASSERT_EQ(DecodeSettings(image.data(), image.size(), again), 1);
            ASSERT_EQ(EncodeSettings(again), image) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace mrv
