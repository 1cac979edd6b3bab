// What every loaded record must satisfy, whatever bytes the file held. Shared
// by the unit tests and the fuzz harness, so it must not depend on GoogleTest.
#pragma once

#include <string>

#include "settings/Settings.h"

namespace mrv::testing {

// Empty when every field is in its range; otherwise names the first field
// found out of range.
std::string FirstSettingsViolation(const Settings& settings);

}  // namespace mrv::testing
