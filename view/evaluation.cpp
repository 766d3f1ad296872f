#include "hornwall/view/evaluation.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "hornwall/view/expression.hpp"

namespace hornwall {
namespace {

// The state of one variable while the variables are ordered and evaluated.
enum class State : std::uint8_t { unvisited, visiting, done, failed };

struct Variable {
  std::vector<std::size_t> uses;  // the variables its expression references
  State state = State::unvisited;
  double value = 0.0;
};

// Records the references of a variable's expression, without values.
class ReferenceRecorder : public VariableValues {
 public:
  ReferenceRecorder(const std::unordered_map<std::string_view, std::size_t>& index,
                    std::vector<std::size_t>& uses)
      : index_(index), uses_(uses) {}
  VariableValue lookup(std::string_view name) override {
    const auto found = index_.find(name);
    if (found == index_.end()) return {};
    uses_.push_back(found->second);
    return {true, true, 1.0};
  }

 private:
  const std::unordered_map<std::string_view, std::size_t>& index_;
  std::vector<std::size_t>& uses_;
};

// Answers references from the variables evaluated so far.
class EvaluatedValues : public VariableValues {
 public:
  EvaluatedValues(const std::unordered_map<std::string_view, std::size_t>& index,
                  const std::vector<Variable>& variables)
      : index_(index), variables_(variables) {}
  VariableValue lookup(std::string_view name) override {
    const auto found = index_.find(name);
    if (found == index_.end()) return {};
    const Variable& variable = variables_[found->second];
    return {true, variable.state == State::done, variable.value};
  }

 private:
  const std::unordered_map<std::string_view, std::size_t>& index_;
  const std::vector<Variable>& variables_;
};

std::string variable_place(const VariableBlock& block) { return "variable " + quoted(block.name); }

// Reports what keeps an evaluation from a value; true when it has a usable, finite one.
bool report(const Evaluation& result, std::size_t line, const std::string& place,
            Diagnostics& diagnostics) {
  if (!result.syntax_error.empty()) {
    diagnostics.error(line, "cannot parse " + place + ": " + result.syntax_error);
    return false;
  }
  for (const std::string_view name : result.undefined) {
    diagnostics.error(line, "reference to undefined variable " + quoted(name) + " in " + place);
  }
  if (!result.usable()) return false;
  if (!std::isfinite(result.value)) {
    diagnostics.error(line, place + " is not finite (" + short_number(result.value) + ")");
    return false;
  }
  return true;
}

std::string cycle_text(const std::vector<std::size_t>& members, const ObjectFile& file) {
  if (members.size() == 1) {
    return "variable " + quoted(file.variables[members[0]].name) + " references itself";
  }
  // A long cycle is named by its first few members, so that the message stays one
  // readable line.
  constexpr std::size_t most_named = 5;
  const std::size_t named = members.size() > most_named ? most_named : members.size();
  std::string names;
  for (std::size_t i = 0; i < named; ++i) {
    if (i > 0) names += i + 1 == members.size() ? " and " : ", ";
    names += quoted(file.variables[members[i]].name);
  }
  if (named < members.size()) names += " and " + std::to_string(members.size() - named) + " more";
  return "variables " + names + " reference each other in a cycle";
}

// Orders the variables so that each comes after those it references (an iterative
// depth-first walk, so that long chains cannot exhaust the stack), reporting cycles.
std::vector<std::size_t> evaluation_order(std::vector<Variable>& variables, const ObjectFile& file,
                                          Diagnostics& diagnostics) {
  std::vector<std::size_t> order;
  order.reserve(variables.size());
  std::vector<std::pair<std::size_t, std::size_t>> path;  // variable, next use to follow
  for (std::size_t root = 0; root < variables.size(); ++root) {
    if (variables[root].state != State::unvisited) continue;
    variables[root].state = State::visiting;
    path.push_back({root, 0});
    while (!path.empty()) {
      auto& [current, next] = path.back();
      if (next == variables[current].uses.size()) {
        if (variables[current].state == State::visiting) variables[current].state = State::done;
        order.push_back(current);
        path.pop_back();
        continue;
      }
      const std::size_t used = variables[current].uses[next++];
      if (variables[used].state == State::unvisited) {
        variables[used].state = State::visiting;
        path.push_back({used, 0});
      } else if (variables[used].state == State::visiting) {
        // The path from `used` to the top is a cycle; name it from its first member in
        // the file, in the order the references run.
        std::size_t from = path.size();
        while (path[from - 1].first != used) --from;
        std::vector<std::size_t> members;
        for (std::size_t at = from - 1; at < path.size(); ++at) members.push_back(path[at].first);
        std::size_t first = 0;
        for (std::size_t i = 1; i < members.size(); ++i) {
          if (members[i] < members[first]) first = i;
        }
        std::rotate(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(first),
                    members.end());
        diagnostics.error(file.variables[members[0]].line, cycle_text(members, file));
        for (const std::size_t member : members) variables[member].state = State::failed;
      }
    }
  }
  return order;
}

}  // namespace

EvaluatedFile evaluate_object_file(const ObjectFile& file, Diagnostics& diagnostics) {
  std::unordered_map<std::string_view, std::size_t> index;
  index.reserve(file.variables.size());
  for (std::size_t i = 0; i < file.variables.size(); ++i) {
    const VariableBlock& block = file.variables[i];
    const auto [earlier, added] = index.try_emplace(block.name, i);
    if (!added) {
      diagnostics.warning(block.line, variable_place(block) + " is defined again (first at line " +
                                          std::to_string(file.variables[earlier->second].line) +
                                          "); this later value is used");
      earlier->second = i;
    }
  }

  // First pass: syntax and references of every variable, without values.
  std::vector<Variable> variables(file.variables.size());
  for (std::size_t i = 0; i < file.variables.size(); ++i) {
    const VariableBlock& block = file.variables[i];
    ReferenceRecorder recorder(index, variables[i].uses);
    const Evaluation checked = evaluate_expression(block.value.text, recorder);
    Evaluation syntax_only;
    syntax_only.syntax_error = checked.syntax_error;
    syntax_only.undefined = checked.undefined;
    if (!report(syntax_only, block.line, variable_place(block), diagnostics)) {
      variables[i].state = State::failed;
      variables[i].uses.clear();
    }
  }

  EvaluatedValues values(index, variables);
  for (const std::size_t i : evaluation_order(variables, file, diagnostics)) {
    Variable& variable = variables[i];
    if (variable.state != State::done) continue;
    const VariableBlock& block = file.variables[i];
    const Evaluation result = evaluate_expression(block.value.text, values);
    if (!report(result, block.line, variable_place(block), diagnostics)) {
      variable.state = State::failed;
      continue;
    }
    variable.value = result.value;
  }

  EvaluatedFile evaluated;
  evaluated.values.reserve(variables.size());
  for (const Variable& variable : variables) {
    evaluated.values.push_back(variable.state == State::done ? std::optional(variable.value)
                                                             : std::nullopt);
  }
  for (const ProfileBlock& profile : file.profiles) {
    EvaluatedProfile& nodes = evaluated.profiles.emplace_back();
    nodes.nodes.reserve(profile.rows.size());
    for (std::size_t row_number = 0; row_number < profile.rows.size(); ++row_number) {
      const NodeRow& row = profile.rows[row_number];
      const std::string row_place =
          "node " + std::to_string(row_number + 1) + " of " + quoted(profile.name);
      const Evaluation z = evaluate_expression(row.z.text, values);
      const Evaluation rho = evaluate_expression(row.rho.text, values);
      const bool z_ok = report(z, row.line, "z of " + row_place, diagnostics);
      const bool rho_ok = report(rho, row.line, "rho of " + row_place, diagnostics);
      nodes.nodes.push_back({z.value, rho.value, z_ok && rho_ok});
      if (!(z_ok && rho_ok)) ++nodes.missing;
    }
  }
  return evaluated;
}

}  // namespace hornwall
