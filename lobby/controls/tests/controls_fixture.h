// A temporary application directory with the pictures and texts the
// controls load, for the widget tests and the benchmark.
#pragma once

#include "skin_fixture.h"

namespace tessary::controls::testing {

class ControlsFixture : public skin::testing::SkinFixture {
protected:
    ControlsFixture();
};

}  // namespace tessary::controls::testing
