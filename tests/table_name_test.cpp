#include "table_name.h"

#include <gtest/gtest.h>

namespace {

TEST(MakeTableName, DropsOnlyTheLastExtensionAndKeepsEverythingElse) {
  const struct {
    const char* output_path;
    const char* table_name;
  } cases[] = {
      {"simple_ps_refl.h", "simple_ps_refl"},
      {"a.b.c", "a.b"},
      {"noext", "noext"},
      {".hidden", ".hidden"},
      {"out\\simple.h", "out\\simple"},
      {"out/simple.h", "out/simple"},
      {"..\\out\\noext", "."},
      {"C:\\My Shaders\\Blur.PS.h", "C:\\My Shaders\\Blur.PS"},
      {"trailing.", "trailing"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MakeTableName(c.output_path), c.table_name) << c.output_path;
}

}  // namespace
