#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hornwall/design/design.hpp"
#include "hornwall/json.hpp"
#include "hornwall/questions.hpp"
#include "wall_rules.hpp"

namespace hornwall::design {
namespace {

// The rule's kind: "single", "taper", "dual" or "one_set".
std::string_view kind_name(const Request& request) {
  if (request.taper) return "taper";
  if (request.bands.size() == 2) return request.one_set ? "one_set" : "dual";
  return "single";
}

void write_rule(JsonWriter& json, const Design& design) {
  const Request& request = design.request;
  json.key("rule");
  json.open('{');
  json.key("kind").string(kind_name(request));
  json.key("margin").number(request.margin);
  json.key("per_wavelength").number(request.per_wavelength);
  json.key("heights");
  json.open('[', true);
  for (const double height : design.heights) json.number(height);
  json.close(']');
  json.key("pitch").number(design.pitch);
  json.key("wanted_pitch").number(design.wanted_pitch);
  json.key("thickness");
  if (request.wall->least_pitch) {
    json.number(design.thickness);
  } else {
    json.null();
  }
  json.key("first").number(design.first);
  json.key("end").number(design.end);
  json.key("corrugations").count(static_cast<std::uint64_t>(design.count));
  json.key("variable").count(static_cast<std::uint64_t>(design.variable));
  json.close('}');
}

// Every value of the answers file by its symbol, in the order of its lines: lengths in the
// unit, counts and the unit's code as whole numbers, the object file's name as a string.
void write_answers(JsonWriter& json, const Design& design, std::string_view object_file) {
  const AnswersSchema& schema = *design.request.wall->program->answers;
  const bool dual = design.bands.size() == 2;
  std::int64_t passes = 0;
  if (const auto count = design.values.find(schema.pass_count_symbol);
      !schema.pass_count_symbol.empty() && count != design.values.end()) {
    passes = static_cast<std::int64_t>(count->second);
  }
  json.key("answers");
  json.open('{');
  for (const AskedQuestion& asked : questions_asked(schema, dual, passes)) {
    const Question& question = *asked.question;
    for (std::size_t v = 0; v < question.value_count; ++v) {
      const std::string symbol = symbol_of(question, v, asked.symbol_pass);
      if (symbol.empty()) continue;
      const ValueKind kind = question.values[v].kind;
      if (kind == ValueKind::file_name) {
        json.key(symbol).string(object_file);
      } else if (kind == ValueKind::unit_code) {
        const std::optional<std::int32_t> code = unit_code_of(schema.units, design.request.unit);
        json.key(symbol).count(static_cast<std::uint64_t>(code.value_or(0)));
      } else if (const auto value = design.values.find(symbol); value != design.values.end()) {
        if (kind == ValueKind::length) {
          json.key(symbol).number(value->second);
        } else {
          json.key(symbol).count(
              static_cast<std::uint64_t>(std::max(std::llround(value->second), 0LL)));
        }
      }
    }
  }
  json.close('}');
}

void write_figures(JsonWriter& json, const Design& design) {
  const WallMeasure& measured = design.measured;
  const double per_unit = *metres_per_unit(design.request.unit);
  const std::optional<double> pitch =
      measured.widest_pitch ? std::optional(*measured.widest_pitch * per_unit) : std::nullopt;
  json.key("figures");
  json.open('[');
  for (std::size_t b = 0; b < design.bands.size() && b < measured.figures.size(); ++b) {
    write_band_figures(json, b, design.bands[b], measured.figures[b], pitch);
  }
  json.close(']');
}

void write_output(JsonWriter& json, std::string_view output, const std::string& path) {
  json.open('{', true);
  json.key("output").string(output);
  json.key("path").string(path);
  json.close('}');
}

}  // namespace

std::string json_report(const RunAccount& account) {
  const Request& request = *account.request;
  const Design* design = account.design;
  std::string text;
  JsonWriter json(text);
  json.open('{');
  json.key("version").count(json_version);
  json.key("program").string("hornwall_design");
  json.key("hornwall").string(HORNWALL_VERSION);
  json.key("wall").string(request.wall->name);
  json.key("generator").string(request.wall->program->name);
  json.key("unit").string(request.unit);
  if (design != nullptr) {
    write_bands(json, design->bands);
  } else {
    write_bands(json, bands_by_frequency(request.bands));
  }
  json.key("min_coverage").number(request.min_coverage);
  if (design != nullptr) {
    write_rule(json, *design);
    json.key("object_file").string(account.object_file);
    write_answers(json, *design, account.object_file);
    write_figures(json, *design);
  } else {
    json.key("rule").null();
    json.key("object_file").null();
    json.key("answers").null();
    json.key("figures");
    json.open('[');
    json.close(']');
  }
  json.key("status").count(account.refusal.empty() ? 0 : 1);
  json.key("refusal");
  if (account.refusal.empty()) {
    json.null();
  } else {
    json.string(account.refusal);
  }
  json.key("outputs");
  json.open('[');
  if (!account.answers.empty()) write_output(json, "answers", account.answers);
  write_output(json, "report", account.report);
  json.close(']');
  json.close('}');
  json.end();
  return text;
}

}  // namespace hornwall::design
