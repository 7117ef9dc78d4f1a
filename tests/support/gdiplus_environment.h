// GDI+ for a whole test process, for tests that draw or decode images.
#pragma once
#include <gtest/gtest.h>

namespace velmor::test {

// Registers an environment that starts GDI+ before the first test and, after the last, empties
// the engine's image cache (as the end of a run does) before shutting GDI+ down.
::testing::Environment* AddGdiplusEnvironment();

}  // namespace velmor::test
