#include <gtest/gtest.h>

#include "support/wine_program.h"

TEST(Smoke, ProgramStartsAndEnds) {
  ChildProcess program;
  ASSERT_TRUE(program.Start(BuiltUninstallExe(), L"/unknownswitch"));
  ASSERT_TRUE(program.Wait(20000));
  EXPECT_EQ(0u, program.ExitCode());
}
