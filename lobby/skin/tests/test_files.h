// The skin tests take their temporary directories from the desktop module's
// test support.
#pragma once

#include "desktop/testing/test_files.h"

namespace tessary::skin::testing {

using desktop::testing::readFile;
using desktop::testing::TempDir;

}  // namespace tessary::skin::testing
