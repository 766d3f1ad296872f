// The DXF drawing: its unit, its layers, the runs of nodes it draws and its numbers, read
// back by the strict reader of the fuzz target.
#include "hornwall/view/dxf_drawing.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "hornwall/view/view.hpp"
#include "view_output_checks.hpp"

namespace hornwall::view {
namespace {

using output_checks::dxf_fault;
using output_checks::DxfDrawing;

// A profile named `name` in `unit` (none when empty) with the node `rows`.
std::string profile_in(std::string_view name, std::string_view unit, std::string_view rows) {
  std::string text = std::string(name) + "   circular_symmetric_horn_exterior\n(\n";
  if (!unit.empty()) text += "  length_unit : " + std::string(unit) + ",\n";
  return text + "  nodes : table\n  (\n" + std::string(rows) + "  )\n)\n\n";
}

// What viewing `text` with a drawing gives: its messages and its drawing, read back.
struct Drawn {
  std::string messages;
  std::string text;
  DxfDrawing drawing;
};

Drawn draw(const std::string& text, bool mirror = false) {
  TextSource source(text);
  CheckSettings settings;
  settings.mirror = mirror;
  settings.drawing = true;
  const Examined examined = examine(source, settings);
  std::ostringstream messages, drawing;
  write_diagnostics(examined.diagnostics, "t.zul", messages);
  write_dxf(examined.wall, mirror, drawing);
  Drawn drawn{messages.str(), drawing.str(), {}};
  EXPECT_EQ(dxf_fault(drawn.text, drawn.drawing), "") << drawn.text.substr(0, 400);
  return drawn;
}

TEST(DxfDrawing, NamesTheUnitsItCanAndRefusesTheRest) {
  const std::string not_named = ", which a DXF drawing cannot name (in, ft, mm, cm, m)\n";
  const struct {
    std::vector<std::string_view> units;  // of the profiles p1, p2, ...; "" for none
    int code;
    std::string messages;
  } cases[] = {
      {{"in"}, 1, ""},
      {{"ft"}, 2, ""},
      {{"mm"}, 4, ""},
      {{"cm"}, 5, ""},
      {{"m"}, 6, ""},
      {{"mm", "mm"}, 4, ""},
      {{}, 0, "t.zul:1: error: the file holds no profile\n"},
      {{"yd"}, 0, "t.zul:1: error: profile 'p1' has the length unit 'yd'" + not_named},
      {{"MM"}, 0, "t.zul:1: error: profile 'p1' has the length unit 'MM'" + not_named},
      {{""}, 0, "t.zul:1: error: profile 'p1' has no length unit, which a DXF drawing needs\n"},
      {{"mm", "in"},
       0,
       "t.zul:11: error: profile 'p2' has the length unit 'in', but the DXF drawing takes 'mm' "
       "from profile 'p1'\n"},
      {{"", "cm"},
       0,
       "t.zul:1: error: profile 'p1' has no length unit, which a DXF drawing needs\n"},
      {{"yd", "m", "m"}, 0, "t.zul:1: error: profile 'p1' has the length unit 'yd'" + not_named},
  };
  for (const auto& c : cases) {
    std::string text;
    for (std::size_t p = 0; p < c.units.size(); ++p) {
      std::string name(1, 'p');
      name += std::to_string(p + 1);
      const auto z = static_cast<double>(p) * 5.0;
      text += profile_in(
          name, c.units[p],
          "    " + short_number(-z) + "   10\n    " + short_number(-z - 5.0) + "   10\n");
    }
    SCOPED_TRACE(text);
    const Drawn drawn = draw(text);
    EXPECT_EQ(drawn.drawing.units, c.code);
    EXPECT_NE(drawn.text.find("$INSUNITS\n 70\n" + std::to_string(c.code) + "\n"),
              std::string::npos);
    EXPECT_EQ(drawn.messages, c.messages);
  }
  // Without a drawing, the unit is no one's concern.
  const std::string yards = profile_in("p1", "yd", "    0   10\n    -5   12\n");
  TextSource source(yards);
  EXPECT_EQ(examine(source, {}).diagnostics.error_count(), 0u);
}

TEST(DxfDrawing, NamesLayersAfterTheProfilesAsEveryReaderTakesThem) {
  const std::string n31(31, 'N'), n29(29, 'N');
  const struct {
    std::vector<std::string> names;
    std::vector<std::string> layers;
  } cases[] = {
      {{"horn_exterior", "sinusoid_outer"}, {"HORN_EXTERIOR", "SINUSOID_OUTER"}},
      {{"horn", "HORN", "Horn"}, {"HORN", "HORN_2", "HORN_3"}},
      {{"a_2", "a", "a"}, {"A_2", "A", "A_3"}},
      {{"axis", "aperture", "defpoints", "Axis"},
       {"AXIS_2", "APERTURE_2", "DEFPOINTS_2", "AXIS_3"}},
      {{"0"}, {"0_2"}},
      {{"$x-y_9"}, {"$X-Y_9"}},
      // The letters end where they end: '@' and '[' beside 'A' and 'Z', '`' and '{' beside
      // 'a' and 'z'.
      {{"Zz@[`{"}, {"ZZ____"}},
      // What a reader would refuse or misread becomes '_', byte by byte.
      {{"a b/c:\xc3\xa9"}, {"A_B_C___"}},
      // 31 bytes fit; the 32nd is cut, and a suffix takes the room it needs.
      {{std::string(31, 'n')}, {n31}},
      {{std::string(32, 'n'), std::string(31, 'n')}, {n31, n29 + "_2"}},
      {std::vector<std::string>(10, std::string(31, 'n')),
       {n31, n29 + "_2", n29 + "_3", n29 + "_4", n29 + "_5", n29 + "_6", n29 + "_7", n29 + "_8",
        n29 + "_9", std::string(28, 'N') + "_10"}},
      {{std::string(100000, 'n'), "n", "n"}, {n31, "N", "N_2"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::string_view> names(c.names.begin(), c.names.end());
    EXPECT_EQ(layer_names(names), c.layers) << c.names.front().substr(0, 40);
  }
  // Many profiles of one name each get a layer of their own.
  const std::vector<std::string_view> same(2000, "w");
  const std::vector<std::string> layers = layer_names(same);
  EXPECT_EQ(layers.back(), "W_2000");
}

// The entities of a drawing, shortly: "LINE AXIS -5:0 0:0", "POLYLINE W 2", "POINT W 1".
std::vector<std::string> entities_of(const DxfDrawing& drawing) {
  std::vector<std::string> shown;
  for (const auto& entity : drawing.entities) {
    std::string text = entity.type + " " + entity.layer;
    if (entity.type == "LINE") {
      for (const auto& [x, y] : entity.points) {
        text += ' ';
        text += short_number(x);
        text += ':';
        text += short_number(y);
      }
    } else {
      text += " " + std::to_string(entity.points.size());
    }
    shown.push_back(text);
  }
  return shown;
}

TEST(DxfDrawing, BreaksThePolylineWhereANodeCannotBeEvaluated) {
  const std::string bad = "    \"REF(X)\"   10\n";  // a node that cannot be evaluated
  const std::string axis = "LINE AXIS -4:0 0:0", aperture = "LINE APERTURE 0:0 0:13";
  const std::string node0 = "    0   10\n", node1 = "    -1   11\n", node2 = "    -2   12\n",
                    node3 = "    -3   13\n", node4 = "    -4   10\n";
  const struct {
    std::string rows;
    bool mirror;
    std::vector<std::string> entities;
  } cases[] = {
      {node0 + node1 + node2 + node3 + node4, false, {axis, aperture, "POLYLINE W 5"}},
      {node0 + bad + node2 + node3 + node4, false, {axis, aperture, "POINT W 1", "POLYLINE W 3"}},
      {node0 + node1 + bad + node3 + node4,
       false,
       {axis, aperture, "POLYLINE W 2", "POLYLINE W 2"}},
      {node0 + node1 + node2 + node3 + bad,
       false,
       {"LINE AXIS -3:0 0:0", aperture, "POLYLINE W 4"}},
      {bad + node1 + bad + bad + node4,
       false,
       {"LINE AXIS -4:0 0:0", "LINE APERTURE 0:0 0:11", "POINT W 1", "POINT W 1"}},
      {node3, false, {"LINE AXIS -3:0 0:0", aperture, "POINT W 1"}},
      {bad + bad, false, {}},
      {node0 + bad + node2 + node3 + node4,
       true,
       {axis, "LINE APERTURE 0:-13 0:13", "POINT W 1", "POLYLINE W 3", "POINT W 1",
        "POLYLINE W 3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    const Drawn drawn = draw(profile_in("w", "mm", c.rows), c.mirror);
    EXPECT_EQ(entities_of(drawn.drawing), c.entities);
    EXPECT_EQ(drawn.drawing.layers, (std::vector<std::string>{"0", "AXIS", "APERTURE", "W"}));
  }
}

TEST(DxfDrawing, WritesEveryCoordinateInItsShortestExactForm) {
  const struct {
    std::string z, rho;           // as the object file writes them
    std::string vertex;           // the groups of the node as the drawing writes them
    std::string mirrored_vertex;  // and of its mirror image, from its rho on
  } cases[] = {
      {"-5", "10", " 10\n-5\n 20\n10\n 30\n0\n", " 20\n-10\n 30\n0\n"},
      {"\"-0.1-0.2\"", "\"0.1+0.2\"", " 10\n-0.30000000000000004\n 20\n0.30000000000000004\n",
       " 20\n-0.30000000000000004\n"},
      {"-1.0000E+01", "1e-300", " 10\n-10\n 20\n1e-300\n", " 20\n-1e-300\n"},
      {"\"-1.7976931348623157e308\"", "4.9406564584124654e-324",
       " 10\n-1.7976931348623157e+308\n 20\n5e-324\n", " 20\n-5e-324\n"},
      // A zero radius stays zero mirrored; a negative zero is written as such.
      {"\"-0\"", "0", " 10\n-0\n 20\n0\n 30\n0\n", " 20\n0\n 30\n0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.z + " " + c.rho);
    const std::string text =
        profile_in("w", "mm", "    " + c.z + "   " + c.rho + "\n    -20  30\n");
    const Drawn drawn = draw(text, true);
    EXPECT_NE(drawn.text.find("VERTEX\n  8\nW\n" + c.vertex), std::string::npos);
    EXPECT_NE(drawn.text.find("VERTEX\n  8\nW\n" + c.vertex.substr(0, c.vertex.find(" 20\n")) +
                              c.mirrored_vertex),
              std::string::npos);
    TextSource source(text);
    const Examined examined = examine(source, {});
    EXPECT_EQ(output_checks::drawing_fault(drawn.text, examined.wall, true), "");
  }
}

}  // namespace
}  // namespace hornwall::view
