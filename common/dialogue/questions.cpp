#include "hornwall/questions.hpp"

#include <cmath>

#include "hornwall/text.hpp"

namespace hornwall {
namespace {

bool in_passes(const Question& question) {
  return question.asked == Asked::each_pass || question.asked == Asked::each_later_pass;
}

}  // namespace

const Question object_file_question{
    " Enter zul file addition ", {{{"FILE", ValueKind::file_name}}}, 1, ""};
const Question corrugation_type_question{" Enter corrugation type: 1 single, 2 dual band ",
                                         {{{"", ValueKind::corrugation_type}}},
                                         1,
                                         "corrugation type"};

std::string symbol_of(const Question& question, std::size_t value, std::int64_t pass) {
  const std::string_view symbol = question.values[value].symbol;
  if (!in_passes(question) || symbol.empty()) return std::string(symbol);
  if (pass <= 0) return {};
  return std::string(symbol) + std::to_string(pass + question.pass_offset);
}

std::string comment_of(const Question& question, std::int64_t pass, std::string_view unit) {
  std::string comment;
  const std::string_view text = question.comment;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t open = text.find('{', at);
    comment.append(text.substr(at, open - at));
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('}', open);
    const std::string_view name = text.substr(open + 1, close - open - 1);
    if (name == "unit") {
      comment += " (" + std::string(unit) + ")";
    } else if (name == "k") {
      comment += std::to_string(pass);
    } else if (name == "k-1") {
      comment += std::to_string(pass - 1);
    } else if (name == "k+1") {
      comment += std::to_string(pass + 1);
    }
    at = close + 1;
  }
  return comment;
}

std::vector<std::string> settable_symbols(const AnswersSchema& schema) {
  std::vector<std::string> symbols;
  const auto add = [&](const std::string& symbol) {
    for (const std::string& known : symbols) {
      if (known == symbol) return;
    }
    if (!symbol.empty()) symbols.push_back(symbol);
  };
  for (const Question* question : schema.questions) {
    for (std::size_t v = 0; v < question->value_count; ++v) {
      if (question->values[v].kind == ValueKind::corrugation_type) continue;
      if (!in_passes(*question)) {
        add(symbol_of(*question, v, 0));
        continue;
      }
      const std::int64_t first = question->asked == Asked::each_later_pass ? 2 : 1;
      for (std::int64_t pass = first; pass <= schema.named_passes; ++pass) {
        add(symbol_of(*question, v, pass));
      }
    }
  }
  return symbols;
}

std::vector<AskedQuestion> questions_asked(const AnswersSchema& schema, bool dual_band,
                                           std::int64_t passes) {
  std::vector<AskedQuestion> asked;
  for (std::size_t q = 0; q < schema.questions.size(); ++q) {
    const Question* question = schema.questions[q];
    switch (question->asked) {
      case Asked::always: asked.push_back({question, 0, 0}); break;
      case Asked::single_band:
        if (!dual_band) asked.push_back({question, 0, 0});
        break;
      case Asked::dual_band:
        if (dual_band) asked.push_back({question, 0, 0});
        break;
      case Asked::each_pass:
      case Asked::each_later_pass: {
        // The questions of a pass follow each other; every pass asks them in turn.
        std::size_t end = q;
        while (end < schema.questions.size() && in_passes(*schema.questions[end])) ++end;
        for (std::int64_t pass = 1; pass <= passes; ++pass) {
          for (std::size_t p = q; p < end; ++p) {
            const Question* in_pass = schema.questions[p];
            if (in_pass->asked == Asked::each_later_pass && pass == 1) continue;
            asked.push_back({in_pass, pass, pass <= schema.named_passes ? pass : 0});
          }
        }
        q = end - 1;
        break;
      }
    }
  }
  return asked;
}

bool has_dual_band(const AnswersSchema& schema) {
  for (const Question* question : schema.questions) {
    if (question->asked == Asked::dual_band) return true;
  }
  return false;
}

std::string length_answer(double value) {
  std::string written = shortest_text(value);
  if (written.find_first_of(".e") == std::string::npos) written += ".0";
  return written;
}

Result<std::string> answers_file_text(const AnswersSchema& schema, const AnswersFile& file) {
  const std::optional<std::int32_t> unit_code = unit_code_of(schema.units, file.unit);
  if (!unit_code) return Reason{"the wall has no unit " + single_quoted(file.unit)};
  std::int64_t passes = 0;
  if (!schema.pass_count_symbol.empty()) {
    const auto count = file.values.find(schema.pass_count_symbol);
    if (count == file.values.end()) {
      return Reason{"no value for " + std::string(schema.pass_count_symbol)};
    }
    passes = static_cast<std::int64_t>(count->second);
  }
  std::string text;
  bool noted = file.note.empty();
  for (const AskedQuestion& asked : questions_asked(schema, file.dual_band, passes)) {
    const Question& question = *asked.question;
    std::string values;
    for (std::size_t v = 0; v < question.value_count; ++v) {
      const ValueKind kind = question.values[v].kind;
      if (kind == ValueKind::file_name) {
        values = file.object_file;
        continue;
      }
      if (!values.empty()) values += ' ';
      if (kind == ValueKind::corrugation_type) {
        values += file.dual_band ? "2" : "1";
        continue;
      }
      if (kind == ValueKind::unit_code) {
        values += std::to_string(*unit_code);
        continue;
      }
      const std::string symbol = symbol_of(question, v, asked.symbol_pass);
      const auto value = file.values.find(symbol);
      if (symbol.empty() || value == file.values.end()) {
        return Reason{"no value for " +
                      (symbol.empty() ? single_quoted(trim_blanks(question.prompt)) : symbol)};
      }
      values += kind == ValueKind::length ? length_answer(value->second)
                                          : std::to_string(std::llround(value->second));
    }
    if (question.values[0].kind == ValueKind::file_name) {
      text += values + '\n';
      continue;
    }
    std::string comment = comment_of(question, asked.pass, file.unit);
    if (!noted) comment += ", " + std::string(file.note);
    noted = true;
    text += values;
    text.append(values.size() < 17 ? 17 - values.size() : 1, ' ');
    text += comment + '\n';
  }
  return text;
}

}  // namespace hornwall
