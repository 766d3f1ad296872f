#include "hornwall/object_writer.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "hornwall/units.hpp"

namespace hornwall {
namespace {

class StringSink : public ObjectSink {
 public:
  std::string text;
  void write(std::string_view bytes) override { text.append(bytes); }
  void close() override {}
};

std::string written(const std::function<void(ObjectWriter&)>& blocks) {
  StringSink sink;
  ObjectWriter writer(sink);
  blocks(writer);
  writer.finish();
  return sink.text;
}

TEST(ObjectWriter, VariableBlocksEndWithAnEmptyLine) {
  EXPECT_EQ(written([](ObjectWriter& w) {
              w.numeric_variable("RW1", 25.4f);
              w.expression_variable("ZC1", expression("REF(D1)"));
            }),
            "RW1  real_variable\n"
            "(\n"
            "  value            :   2.5400E+01\n"
            ")\n"
            "\n"
            "ZC1  real_variable\n"
            "(\n"
            "  value    : \"REF(D1)\"\n"
            ")\n"
            "\n");
}

TEST(ObjectWriter, APairHasOneEmptyLineAfterBothBlocks) {
  EXPECT_EQ(
      written([](ObjectWriter& w) { w.numeric_variable_pair("SPLC", 3.1415927f, "NSPL", 2.0f); }),
      "SPLC  real_variable\n"
      "(\n"
      "  value            :   3.1416E+00\n"
      ")\n"
      "NSPL  real_variable\n"
      "(\n"
      "  value            :   2.0000E+00\n"
      ")\n"
      "\n");
}

TEST(ObjectWriter, ProfileHeadersWithAndWithoutTheirOptionalLines) {
  const struct {
    ProfileLines lines;
    std::string_view unit;
    const char* text;
  } cases[] = {
      {{},
       "mm",
       "horn_exterior   circular_symmetric_horn_exterior\n(\n"
       "  length_unit      : mm,\n"
       "  nodes             : table\n    (\n"},
      {{.snap_to_aperture = true, .coor_order = true},
       "m ",
       "horn_exterior   circular_symmetric_horn_exterior\n(\n"
       "  snap_to_aperture : off,\n"
       "  length_unit      : m ,\n"
       "  coor_order       : z_rho,\n"
       "  nodes             : table\n    (\n"},
      {{.snap_to_aperture = true},
       "in",
       "horn_exterior   circular_symmetric_horn_exterior\n(\n"
       "  snap_to_aperture : off,\n"
       "  length_unit      : in,\n"
       "  nodes             : table\n    (\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(written([&](ObjectWriter& w) { w.profile_header("horn_exterior", c.unit, c.lines); }),
              c.text);
  }
}

TEST(ObjectWriter, RowsAndCloses) {
  EXPECT_EQ(written([](ObjectWriter& w) {
              w.node_row(expression("-REF(ZW1)"), expression("REF(RW1)"));
              w.node_row(Number{0.0f}, Number{12.0f});
              w.full_close();
              w.short_close();
            }),
            "        \"-REF(ZW1)\"   \"REF(RW1)\"\n"
            "          0.0000E+00     1.2000E+01\n"
            "   )\n)\n\n"
            "    )\n)\n");
}

TEST(ObjectWriter, LargeOutputReachesTheSinkWhole) {
  std::string expected;
  const std::string text = written([&](ObjectWriter& w) {
    for (int i = 0; i < 20000; ++i) {
      w.node_row(expression("z"), expression(std::to_string(i)));
      expected += "        \"z\"   \"" + std::to_string(i) + "\"\n";
    }
  });
  EXPECT_EQ(text, expected);
}

TEST(UnitTables, HoldTwoCharactersAnEntry) {
  EXPECT_EQ(five_unit_table[4], "m ");
  EXPECT_EQ(four_unit_table[3], "m ");
  EXPECT_EQ(four_unit_table[2], "mm");
}

}  // namespace
}  // namespace hornwall
