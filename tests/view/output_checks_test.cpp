// The readers that the viewer's fuzz target trusts: each must refuse what is malformed,
// naming where, and every file of the fuzz corpus must pass them, mirrored or not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "view_output_checks.hpp"

namespace hornwall::view::output_checks {
namespace {

namespace fs = std::filesystem;

TEST(ViewOutputChecks, MessagesHaveTheCompilersFormAndAccountForEveryFinding) {
  const struct {
    std::string messages;
    std::string fault;
    MessageTally tally;
  } cases[] = {
      {"", "", {}},
      {"f.zul:1: error: x\nf.zul:1: warning: w\nf.zul:10: error: y\n"
       "f.zul: note: 5 more errors of this kind not shown: z\n"
       "f.zul: note: 1 more warnings of this kind not shown: v\n",
       "",
       {2, 1, 5, 1}},
      {"f.zul:1: error: x", "the messages do not end with a line end", {}},
      {"f.zul:1: error: a\x1b[2J\n", "line 1: a byte outside printable ASCII", {}},
      {"f.zul:1: error: \xc3\xa9\n", "line 1: a byte outside printable ASCII", {}},
      {"g.zul:1: error: x\n", "line 1: does not begin with the file name", {}},
      {"f.zul:1: error: x\nf.zul:11: error: x\n", "line 2: line 11 is not in the file", {}},
      {"f.zul:0: error: x\n", "line 1: line 0 is not in the file", {}},
      {"f.zul:01: error: x\n", "line 1: no line number after the file name", {}},
      {"f.zul: error: x\n", "line 1: no line number after the file name", {}},
      {"f.zul:3: error: x\nf.zul:2: warning: y\n",
       "line 2: not in the order of the file's lines",
       {}},
      {"f.zul:2: note: x\n", "line 1: neither error nor warning", {}},
      {"f.zul:2: error: \n", "line 1: a message without text", {}},
      {"f.zul: note: 0 more errors of this kind not shown: z\n",
       "line 1: a note without a count",
       {}},
      {"f.zul: note: 3 more faults of this kind not shown: z\n",
       "line 1: a note of no severity",
       {}},
      {"f.zul: note: 3 more errors of this kind not shown: \n",
       "line 1: a note without its kind",
       {}},
      {"f.zul: note: 3 more errors of this kind not shown: z\nf.zul:2: error: x\n",
       "line 2: a message after the notes",
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.messages);
    MessageTally tally;
    EXPECT_EQ(message_fault(c.messages, "f.zul", 10, tally), c.fault);
    if (!c.fault.empty()) continue;
    EXPECT_EQ(tally.error_lines, c.tally.error_lines);
    EXPECT_EQ(tally.warning_lines, c.tally.warning_lines);
    EXPECT_EQ(tally.noted_errors, c.tally.noted_errors);
    EXPECT_EQ(tally.noted_warnings, c.tally.noted_warnings);
  }
}

TEST(ViewOutputChecks, PicturesAreWellFormedXmlWithFiniteValues) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";  // 39 bytes
  const struct {
    std::string svg;
    std::string fault;
  } cases[] = {
      {head + "<svg a=\"1\" b = '2'>\n<title>a&amp;b&lt;&gt;&quot;&apos;</title><g/>\n</svg>\n",
       ""},
      {"<svg/>", "at byte 0: no XML declaration"},
      {"<?xml encoding=\"UTF-8\"?><svg/>", "at byte 24: an XML declaration without version"},
      {"<?xml version=\"1.1\"?><svg/>", "at byte 15: a version other than 1.0"},
      {"<?xml version=\"1.0\" lang=\"x\"?><svg/>",
       "at byte 20: an unknown part of the XML declaration"},
      {head, "at byte 39: no root element"},
      {head + "x<svg/>", "at byte 39: text outside the root element"},
      {head + "<html/>", "at byte 39: a root element other than 'svg'"},
      {head + "<svg/><svg/>", "at byte 45: something after the root element"},
      {head + "<svg><g></svg>", "at byte 47: end tag 'svg' closes no open element"},
      {head + "<svg><g/>", "at byte 48: the document ends inside 'svg'"},
      {head + "<svg></svg></svg>", "at byte 50: something after the root element"},
      {head + "<svg a=1/>", "at byte 46: an attribute value without quotes"},
      {head + "<svg a=\"1/>", "at byte 47: an attribute value without its closing quote"},
      {head + "<svg a=\"1\" a=\"2\"/>", "at byte 50: attribute 'a' repeated"},
      {head + "<svg a=\"1\"b=\"2\"/>", "at byte 49: a malformed attribute"},
      {head + "<svg a/>", "at byte 45: '=' missing after an attribute"},
      {head + "<svg a=\"<\"/>", "at byte 47: '<' in an attribute value"},
      {head + "<svg>&nbsp;</svg>", "at byte 44: '&' that begins no predefined entity"},
      {head + "<svg>&#38;</svg>", "at byte 44: '&' that begins no predefined entity"},
      {head + "<svg a=\"&amp\"/>", "at byte 47: '&' that begins no predefined entity"},
      {head + "<svg><!-- c --></svg>",
       "at byte 44: '<' that begins no element (a comment, CDATA or stray '<')"},
      {head + "<svg>]]></svg>", "at byte 44: ']]>' in text"},
      {head + "<svg>\x01</svg>", "at byte 44: a control byte or a byte outside ASCII"},
      {head + "<svg>\xc3\xa9</svg>", "at byte 44: a control byte or a byte outside ASCII"},
      {head + "<svg x=\"nan\"/>", "at byte 47: a value that is not a finite number: 'nan'"},
      {head + "<svg x=\"-Infinity\"/>",
       "at byte 47: a value that is not a finite number: '-infinity'"},
      {head + "<svg points=\"1,2 NaN,3\"/>",
       "at byte 52: a value that is not a finite number: '1,2 nan,3'"},
      {head + "<svg></g></svg>", "at byte 44: end tag 'g' closes no open element"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(xml_fault(c.svg), c.fault) << c.svg;
  }
}

TEST(ViewOutputChecks, TablesHaveTheirHeaderAndFourFieldsARow) {
  const std::string header = "profile,index,z,rho\n";
  const struct {
    std::string table;
    std::size_t rows;
    std::string fault;
  } cases[] = {
      {header + "w,1,0,10\nw,3,-5,1.5e-07\n", 2, ""},
      {header, 0, ""},
      {header + "w,1,0,10", 1, "the table does not end with a line end"},
      {"profile,index,z\nw,1,0\n", 1, "no header"},
      {header + "w,1,0,10\n", 2, "1 rows, not 2"},
      {header + "w,1,0,10,3\n", 1, "line 2: 5 fields"},
      {header + "w,1,0\n", 1, "line 2: 3 fields"},
      {header + ",1,0,10\n", 1, "line 2: no profile name"},
      {header + "w,0,0,10\n", 1, "line 2: an index that is no row number"},
      {header + "w,01,0,10\n", 1, "line 2: an index that is no row number"},
      {header + "w,1x,0,10\n", 1, "line 2: an index that is no row number"},
      {header + "w,1,nan,10\n", 1, "line 2: a coordinate that is no finite number"},
      {header + "w,1,0,inf\n", 1, "line 2: a coordinate that is no finite number"},
      {header + "w,1,0,1.5x\n", 1, "line 2: a coordinate that is no finite number"},
      {header + "w,1,,10\n", 1, "line 2: a coordinate that is no finite number"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table_fault(c.table, c.rows), c.fault) << c.table;
  }
}

TEST(ViewOutputChecks, SummariesEndWithTheCounts) {
  const struct {
    std::string summary;
    std::string fault;
  } cases[] = {
      {"profile w: unit mm\nvariables: 0\nerrors: 1, warnings: 2\n", ""},
      {"", "the summary has no whole line"},
      {"errors: 1, warnings: 2", "the summary has no whole line"},
      {"errors: 1, warnings: 3\n", "the last line is not 'errors: 1, warnings: 2'"},
      {"profile \x1b: unit mm\nerrors: 1, warnings: 2\n", "line 1: a byte outside printable ASCII"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(summary_fault(c.summary, 1, 2), c.fault) << c.summary;
  }
}

TEST(ViewOutputChecks, ReportsAreStrictJsonOfBytes) {
  const struct {
    std::string json;
    std::string fault;
  } cases[] = {
      {"{\"a\": [1, -0, 2.5e-3, true, null, \"x\\u00e9\\\"\\\\\\n\"], \"b\": {}}\n", ""},
      {"[]", ""},
      {"", "at byte 0: a value missing"},
      {"{\"a\": 1,}", "at byte 8: a comma before a closing bracket"},
      {"[1,]", "at byte 3: a comma before a closing bracket"},
      {"{\"a\": 1 \"b\": 2}", "at byte 8: ',' or '}' missing"},
      {"{a: 1}", "at byte 1: a member without a string key"},
      {"{\"a\" 1}", "at byte 5: ':' missing after a key"},
      {"{\"a\": 1, \"a\": 2}", "at byte 12: key 'a' repeated"},
      {"[01]", "at byte 2: ',' or ']' missing"},
      {"[1.]", "at byte 1: a number without digits after its point"},
      {"[1e]", "at byte 1: a number without digits in its exponent"},
      {"[-]", "at byte 1: a number without digits"},
      {"[+1]", "at byte 1: no JSON value"},
      {"[1e999]", "at byte 1: a number that does not read back to a finite double"},
      {"[NaN]", "at byte 1: no JSON value"},
      {"[\"a\x01\"]", "at byte 3: a control byte in a string"},
      {"[\"\xc3\xa9\"]", "at byte 2: a byte outside ASCII"},
      {"[\"\\x41\"]", "at byte 2: an unknown escape"},
      {"[\"\\u00g1\"]", "at byte 2: a \\u escape without four hexadecimal digits"},
      {"[\"\\u0100\"]", "at byte 2: a character beyond a byte"},
      {"[\"abc", "at byte 5: a string without its closing quote"},
      {"[1] [2]", "at byte 4: something after the value"},
      {"{\"a\": tru}", "at byte 6: no JSON value"},
      {std::string(33, '[') + std::string(33, ']'), "at byte 32: nested too deep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    JsonValue value;
    EXPECT_EQ(json_fault(c.json, value), c.fault);
  }
  JsonValue value;
  ASSERT_EQ(json_fault(cases[0].json, value), "");
  const JsonValue& list = *value.find("a");
  EXPECT_EQ(list.items.at(1).text, "-0");
  EXPECT_EQ(list.items.at(2).number, 2.5e-3);
  EXPECT_EQ(list.items.at(5).text, "x\xe9\"\\\n");
}

// The pieces of a small drawing as the viewer writes it, for the DXF reader's cases.
struct DxfPieces {
  std::string header =
      "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$INSUNITS\n 70\n4\n"
      "  9\n$EXTMIN\n 10\n-5\n 20\n0\n 30\n0\n  9\n$EXTMAX\n 10\n0\n 20\n12\n 30\n0\n"
      "  0\nENDSEC\n";  // 32 lines
  std::string layer = "  0\nLAYER\n  2\nW\n 70\n0\n 62\n1\n  6\nCONTINUOUS\n";
  std::string layer_count = "1";
  std::string vertices =
      "  0\nVERTEX\n  8\nW\n 10\n0\n 20\n10\n 30\n0\n 70\n0\n"
      "  0\nVERTEX\n  8\nW\n 10\n-5\n 20\n12\n 30\n0\n 70\n0\n";
  std::string layer_of_polyline = "W";
  std::string end = "  0\nEOF\n";

  std::string text() const {
    return header +
           "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLTYPE\n 70\n1\n  0\nLTYPE\n  2\n"
           "CONTINUOUS\n 70\n0\n  0\nENDTAB\n  0\nTABLE\n  2\nLAYER\n 70\n" +
           layer_count + "\n" + layer + "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
           "  0\nPOLYLINE\n  8\n" + layer_of_polyline +
           "\n 66\n1\n 10\n0\n 20\n0\n 30\n0\n 70\n0\n" + vertices +
           "  0\nSEQEND\n  8\nW\n  0\nENDSEC\n" + end;
  }
};

// `text` with its first `from` made `to`.
std::string edited(std::string text, std::string_view from, std::string_view to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(ViewOutputChecks, DrawingsAreDxfOfThePlainKindWritten) {
  const auto with = [](auto change) {
    DxfPieces pieces;
    change(pieces);
    return pieces.text();
  };
  const std::string sound = DxfPieces{}.text();
  const auto replaced = [&](std::string_view from, std::string_view to) {
    return edited(sound, from, to);
  };
  const struct {
    std::string dxf;
    std::string fault;
  } cases[] = {
      {sound, ""},
      {sound.substr(0, sound.size() - 1), "the drawing does not end with a line end"},
      {sound + "  0\n", "an odd number of lines"},
      {replaced("  0\nSECTION", "0  \nSECTION"), "line 1: no group code"},
      {replaced("  0\nSECTION", " 00\nSECTION"), "line 1: no group code"},
      {replaced("AC1009", "AC1015"), "line 7: expected 1 AC1009"},
      {replaced("AC1009", "AC1009\xc3\xa9"), "line 8: a byte outside printable ASCII"},
      {replaced("$INSUNITS\n 70\n4", "$INSUNITS\n 70\n3"),
       "line 12: a unit that is none of the five"},
      {replaced(" 10\n-5\n 20\n0", " 10\nnan\n 20\n0"),
       "line 16: a coordinate that is no finite number"},
      {with([](DxfPieces& p) { p.vertices = edited(p.vertices, "-5", "1.5x"); }),
       "line 104: a coordinate that is no finite number"},
      {with([](DxfPieces& p) { p.vertices = edited(p.vertices, " 30\n0", " 30\n1"); }),
       "line 96: a point off the plane"},
      {with([](DxfPieces& p) { p.layer = edited(p.layer, "\nW\n", "\nw\n"); }),
       "line 58: a layer name no reader takes"},
      {with([](DxfPieces& p) {
         p.layer = edited(p.layer, "\nW\n", "\n" + std::string(32, 'W') + "\n");
       }),
       "line 58: a layer name no reader takes"},
      {with([](DxfPieces& p) {
         p.layer += p.layer;
         p.layer_count = "2";
       }),
       "line 68: layer W named twice"},
      {with([](DxfPieces& p) { p.layer_count = "2"; }),
       "line 65: the table counts 2 entries, not 1"},
      {with([](DxfPieces& p) { p.layer_of_polyline = "V"; }),
       "line 76: a layer the table does not hold"},
      {with([](DxfPieces& p) { p.vertices.resize(p.vertices.size() / 2); }),
       "line 73: a polyline of fewer than two vertices"},
      {with([](DxfPieces& p) {
         p.layer += edited(p.layer, "\nW\n", "\nV\n");
         p.layer_count = "2";
         const std::size_t second = p.vertices.rfind("  8\nW");
         p.vertices.replace(second, 6, "  8\nV\n");
       }),
       "line 112: a vertex on another layer"},
      {replaced("POLYLINE", "CIRCLE"), "line 73: no entity the drawing writes"},
      {with([](DxfPieces& p) { p.end += "  0\nEOF\n"; }), "line 119: something after EOF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dxf);
    DxfDrawing drawing;
    EXPECT_EQ(dxf_fault(c.dxf, drawing), c.fault);
  }
  DxfDrawing drawing;
  ASSERT_EQ(dxf_fault(sound, drawing), "");
  EXPECT_EQ(drawing.units, 4);
  EXPECT_EQ(drawing.layers, std::vector<std::string>{"W"});
  ASSERT_EQ(drawing.entities.size(), 1u);
  EXPECT_EQ(drawing.entities[0].points,
            (std::vector<std::pair<double, double>>{{0.0, 10.0}, {-5.0, 12.0}}));
}

TEST(ViewOutputChecks, DrawingsHoldTheWallsEvaluatedNodesExactly) {
  const std::string wall =
      "w   circular_symmetric_horn_exterior\n(\n  length_unit : mm,\n  nodes : table\n  (\n"
      "    0   10\n    -5   12\n    \"REF(X)\"   1\n    -6   12\n  )\n)\n";
  TextSource source(wall);
  const Examined examined = examine(source, {});
  std::ostringstream written;
  write_dxf(examined.wall, false, written);
  const std::string sound = written.str();
  const auto replaced = [&](std::string_view from, std::string_view to) {
    return edited(sound, from, to);
  };
  const struct {
    std::string dxf;
    bool mirror;
    std::string fault;
  } cases[] = {
      {sound, false, ""},
      {sound, true, "entity 5: missing for profile 1"},
      {replaced("$INSUNITS\n 70\n4", "$INSUNITS\n 70\n6"), false, "the unit 6, not 4"},
      {replaced(" 10\n-5\n", " 10\n-5.000000000000001\n"), false,
       "entity 3: point 2 is not node 2"},
      {replaced(" 10\n0\n 20\n10\n", " 10\n-0\n 20\n10\n"), false,
       "entity 3: point 1 is not node 1"},
      {replaced("POINT", "POINT\n  8\nW\n 10\n-6\n 20\n12\n 30\n0\n  0\nPOINT"), false,
       "entity 5: one too many"},
      {replaced("  0\nPOINT\n  8\nW\n 10\n-6\n 20\n12\n 30\n0\n", ""), false,
       "entity 4: missing for profile 1"},
      {replaced("AXIS\n 10\n-6\n 20\n0\n", "AXIS\n 10\n-6\n 20\n1\n"), false,
       "entity 1: a stray line"},
      {replaced("LINE\n  8\nAPERTURE", "LINE\n  8\nW"), false, "entity 2: a stray line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dxf);
    EXPECT_EQ(drawing_fault(c.dxf, examined.wall, c.mirror), c.fault);
  }
}

// The fuzz corpus is a regression suite of its own: the examples, hostile files and every
// input that once found a fault, viewed as the fuzz target views them.
TEST(ViewOutputChecks, EveryFileOfTheFuzzCorpusKeepsTheOutputsForms) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(HORNWALL_VIEW_CORPUS_DIR)) {
    files.push_back(entry.path());
  }
  EXPECT_GE(files.size(), 20u);
  const std::vector<FrequencyBand> bands = {parse_band("10:12").value(),
                                            parse_band("17:20").value()};
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const bool mirror : {false, true}) {
      EXPECT_EQ(output_fault(text, mirror), "") << file << (mirror ? " mirrored" : "");
    }
    EXPECT_EQ(output_fault(text, false, bands), "") << file << " with two bands";
    EXPECT_EQ(output_fault(text, true, bands, 60.0), "") << file << " with two bands at 60%";
  }
}

}  // namespace
}  // namespace hornwall::view::output_checks
