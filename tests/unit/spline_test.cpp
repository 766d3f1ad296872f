#include <gtest/gtest.h>

#include "hornwall/spline_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

using testing::MemoryFileSystem;
using testing::run_in_memory;

// Runs hornwall_spline on an answers file and returns the object file.
std::string object_file_for(const std::string& answers) {
  MemoryFileSystem files;
  files.files["a.txt"] = answers;
  const auto run = run_in_memory(spline_program, "1\na.txt\n", files);
  EXPECT_EQ(run.status, 0) << run.err;
  return files.files["w.zul"];
}

std::string value_line_of(const std::string& object, const std::string& name) {
  const std::string line = testing::value_line_of(object, name);
  return line.empty() ? "missing" : line;
}

// Each derived value is computed in double from the stored singles and rounded once.
TEST(SplineWall, DerivedValuesAreRoundedOnceWhenStored) {
  const struct {
    const char* answers;
    const char* name;
    const char* value_line;
  } cases[] = {
      // 0.1 - 0.3 in single precision, subtracted exactly and rounded once
      {"w.zul\n0.3\n3\n0.1\n0.1\n100\n1 5\n2\n10\n40\n", "RD", "  value            :  -2.0000E-01"},
      {"w.zul\n10\n3\n0.1\n20\n100.1\n1 5\n2\n10\n40\n", "ZD", "  value            :   1.0000E+02"},
      {"w.zul\n10\n3\n0\n20\n100\n1 5\n2\n10\n40\n", "RSP5", "  value            :   1.5321E-14"},
      {"w.zul\n10\n3\n0\n20\n100\n2 9\n-3\n10\n40\n", "RSP3", "  value            :  -3.0000E+00"},
      {"w.zul\n10\n3\n0\n20\n100\n1 4\n2\n10\n40\n", "RSP2", "  value            :   1.5000E+00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(value_line_of(object_file_for(c.answers), c.name), c.value_line) << c.answers;
  }
}

TEST(SplineWall, ANullAnswerKeepsTheStartingZero) {
  const std::string object = object_file_for("w.zul\n10\n3\n/\n20\n100\n,5\n2\n,\n40\n");
  EXPECT_EQ(value_line_of(object, "ZW1"), "  value            :   0.0000E+00");
  EXPECT_EQ(value_line_of(object, "D1"), "  value            :   0.0000E+00");
  EXPECT_EQ(value_line_of(object, "RSP3"), "  value            :   0.0000E+00");  // NSIN stays 0
}

TEST(SplineWall, TheLastRipplePointOpensTheFinalProfile) {
  const std::string object = object_file_for("w.zul\n10\n3\n0\n20\n100\n1 3\n2\n10\n40\n");
  EXPECT_NE(object.find("\"-ref(ZC1)- 4.00000E+01\"   \"ref(RD)*(ref(ZC1)+ "
                        "4.00000E+01)/ref(ZD)+ref(RW1)+ref(RSP3)\"\n"
                        "   )\n)\n\nhorn_exterior_2"),
            std::string::npos);
  EXPECT_NE(object.find("    (\n        \"-ref(ZC1)- 4.00000E+01\"   \"ref(RD)*(ref(ZC1)+ "
                        "4.00000E+01)/ref(ZD)+ref(RW1)+"),
            std::string::npos);
}

}  // namespace
}  // namespace hornwall
