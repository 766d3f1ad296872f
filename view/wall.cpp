#include "hornwall/view/wall.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

// The state of one variable while the variables are evaluated.
enum class State : std::uint8_t { waiting, done, failed };

struct Variables {
  const ObjectFile& file;
  std::vector<std::uint32_t> definition;  // by name: the variable that defines it last
  std::vector<State> state;
  std::vector<double> value;

  std::span<const Instruction> code(std::size_t v) const { return file.code_of(v); }
  // The variable that a reference to name `symbol` finds, or none.
  std::uint32_t defining(std::uint32_t symbol) const {
    return symbol < definition.size() ? definition[symbol] : none;
  }
  Found lookup(std::uint32_t symbol, double& found) const {
    const std::uint32_t v = defining(symbol);
    if (v == none) return Found::undefined;
    if (state[v] != State::done) return Found::failed;
    found = value[v];
    return Found::value;
  }
};

// Reports each name that `code` references and that no variable defines, once, in the
// order of the text, in the expression that `place()` names; `seen` marks the names
// already reported for this expression.
template <typename Place>
void report_undefined(std::span<const Instruction> code, const Variables& variables,
                      const Names& names, std::vector<std::uint64_t>& seen, std::uint64_t stamp,
                      std::uint64_t line, const Place& place, Diagnostics& diagnostics) {
  for (const Instruction& step : code) {
    if (step.op != Op::reference || variables.defining(step.symbol) != none) continue;
    if (seen.size() < names.size()) seen.resize(names.size(), 0);
    if (seen[step.symbol] == stamp) continue;
    seen[step.symbol] = stamp;
    diagnostics.report(Finding::undefined, line, [&] {
      return "reference to undefined variable " + shown_name(names.name(step.symbol)) + " in " +
             place();
    });
  }
}

std::string variable_place(const ObjectFile& file, std::size_t v) {
  return "variable " + shown_name(file.names.name(file.variables[v].name));
}

// Reports a value that is not finite, in the place that `place()` names; true when the
// value is usable and finite.
template <typename Place>
bool report_value(const Outcome& outcome, std::uint64_t line, const Place& place,
                  Diagnostics& diagnostics) {
  if (!outcome.usable()) return false;
  if (std::isfinite(outcome.value)) return true;
  diagnostics.report(Finding::not_finite, line, [&] {
    return place() + " is not finite (" + short_number(outcome.value) + ")";
  });
  return false;
}

// The strongly connected components of the variables' references, found by Tarjan's
// method without recursion, so that long chains cannot exhaust the stack. Each component
// is handed to `visit` once all the components it references were handed over.
template <typename Visit>
void for_each_component(const Variables& variables, Visit visit) {
  const std::size_t count = variables.file.variables.size();
  std::vector<std::uint32_t> order(count, none);  // when each was reached
  std::vector<std::uint32_t> low(count, 0);
  std::vector<bool> on_stack(count, false);
  std::vector<std::uint32_t> stack;
  std::vector<std::uint32_t> component;
  struct Frame {
    std::uint32_t v;
    std::size_t next;  // the next instruction of its code to look at
  };
  std::vector<Frame> path;
  std::uint32_t reached = 0;
  for (std::uint32_t root = 0; root < count; ++root) {
    if (order[root] != none) continue;
    path.push_back({root, 0});
    order[root] = low[root] = reached++;
    stack.push_back(root);
    on_stack[root] = true;
    while (!path.empty()) {
      Frame& frame = path.back();
      const std::span<const Instruction> code = variables.code(frame.v);
      std::uint32_t child = none;
      while (frame.next < code.size() && child == none) {
        const Instruction& step = code[frame.next++];
        if (step.op != Op::reference) continue;
        const std::uint32_t used = variables.defining(step.symbol);
        if (used == none) continue;
        if (order[used] == none) {
          child = used;
        } else if (on_stack[used]) {
          low[frame.v] = std::min(low[frame.v], order[used]);
        }
      }
      if (child != none) {
        order[child] = low[child] = reached++;
        stack.push_back(child);
        on_stack[child] = true;
        path.push_back({child, 0});
        continue;
      }
      const std::uint32_t v = frame.v;
      path.pop_back();
      if (!path.empty()) low[path.back().v] = std::min(low[path.back().v], low[v]);
      if (low[v] != order[v]) continue;
      component.clear();
      std::uint32_t member = none;
      do {
        member = stack.back();
        stack.pop_back();
        on_stack[member] = false;
        component.push_back(member);
      } while (member != v);
      visit(component);
    }
  }
}

// True when `v` references itself.
bool references_itself(const Variables& variables, std::uint32_t v) {
  for (const Instruction& step : variables.code(v)) {
    if (step.op == Op::reference && variables.defining(step.symbol) == v) return true;
  }
  return false;
}

// The message of a cycle: its members named from the first in the file, following the
// references (the first five of a longer cycle, and how many more).
std::string cycle_text(const Variables& variables, std::vector<std::uint32_t>& members,
                       std::vector<std::uint32_t>& mark, std::uint32_t stamp) {
  const ObjectFile& file = variables.file;
  if (members.size() == 1) return variable_place(file, members[0]) + " references itself";
  for (const std::uint32_t member : members) mark[member] = stamp;
  constexpr std::size_t most_named = 5;
  std::vector<std::uint32_t> named;
  std::vector<std::uint32_t> walk{*std::min_element(members.begin(), members.end())};
  mark[walk.back()] = stamp + 1;
  while (!walk.empty() && named.size() < most_named) {
    const std::uint32_t v = walk.back();
    walk.pop_back();
    named.push_back(v);
    const std::span<const Instruction> code = variables.code(v);
    // The first reference in the text is walked first.
    for (std::size_t i = code.size(); i-- > 0;) {
      if (code[i].op != Op::reference) continue;
      const std::uint32_t used = variables.defining(code[i].symbol);
      if (used == none || mark[used] != stamp) continue;
      mark[used] = stamp + 1;
      walk.push_back(used);
    }
  }
  std::string names;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (i > 0) names += i + 1 == members.size() ? " and " : ", ";
    names += shown_name(file.names.name(file.variables[named[i]].name));
  }
  if (named.size() < members.size()) {
    names += " and " + std::to_string(members.size() - named.size()) + " more";
  }
  return "variables " + names + " reference each other in a cycle";
}

void evaluate_variables(Variables& variables, Diagnostics& diagnostics) {
  const ObjectFile& file = variables.file;
  const std::size_t count = file.variables.size();
  variables.state.assign(count, State::waiting);
  variables.value.assign(count, 0.0);
  std::vector<std::uint64_t> seen;
  for (std::size_t v = 0; v < count; ++v) {
    if (variables.code(v).empty()) {
      variables.state[v] = State::failed;
      continue;
    }
    report_undefined(
        variables.code(v), variables, file.names, seen, v + 1, file.variables[v].line,
        [&] { return variable_place(file, v); }, diagnostics);
  }
  std::vector<std::uint32_t> mark(count, 0);
  std::uint32_t stamp = 1;
  std::vector<double> stack;
  for_each_component(variables, [&](std::vector<std::uint32_t>& members) {
    if (members.size() > 1 || references_itself(variables, members[0])) {
      const std::uint32_t first = *std::min_element(members.begin(), members.end());
      diagnostics.report(Finding::cycle, file.variables[first].line,
                         cycle_text(variables, members, mark, stamp));
      stamp += 2;
      for (const std::uint32_t member : members) variables.state[member] = State::failed;
      return;
    }
    const std::uint32_t v = members[0];
    if (variables.state[v] == State::failed) return;
    const Outcome outcome = evaluate(
        variables.code(v), [&](std::uint32_t s, double& x) { return variables.lookup(s, x); },
        stack);
    if (!report_value(
            outcome, file.variables[v].line, [&] { return variable_place(file, v); },
            diagnostics)) {
      variables.state[v] = State::failed;
      return;
    }
    variables.state[v] = State::done;
    variables.value[v] = outcome.value;
  });
}

// Reads the node rows of every profile again and evaluates them.
class RowReader {
 public:
  RowReader(ObjectFile& file, ByteSource& source, const Variables& variables,
            const std::vector<double>& values, Diagnostics& diagnostics)
      : file_(file),
        lexer_(source, {}, file.cut_from),
        variables_(variables),
        values_(values),
        diagnostics_(diagnostics) {}

  void read(const ProfileBlock& block, Profile& profile) {
    lexer_.seek(block.rows);
    profile.nodes.reserve(block.row_count);
    for (std::size_t row = 0; row < block.row_count; ++row) {
      Node node;
      bool ok = true;
      for (const bool is_z : {true, false}) {
        const Token cell = lexer_.next();
        // No file has 2^63 lines: the mask only tells the compiler so.
        if (is_z) node.line = cell.line & (~std::uint64_t{0} >> 1);
        if (cell.kind != TokenKind::quoted && cell.kind != TokenKind::word) {
          changed(cell.line);
          profile.missing += block.row_count - row;
          return;
        }
        double& target = is_z ? node.z : node.rho;
        ok = value_of(cell.text, is_z, row, profile.name, cell.line, target) && ok;
      }
      node.ok = ok;
      if (!ok) ++profile.missing;
      profile.nodes.push_back(node);
    }
  }

 private:
  bool value_of(std::string_view text, bool is_z, std::size_t row, std::string_view profile,
                std::uint64_t line, double& value) {
    const auto place = [&] {
      return std::string(is_z ? "z" : "rho") + " of node " + std::to_string(row + 1) + " of " +
             shown_name(profile);
    };
    code_.clear();
    const std::string reason = compile(text, file_.names, code_);
    if (!reason.empty()) {
      diagnostics_.report(Finding::unparsable, line, "cannot parse " + place() + ": " + reason);
      return false;
    }
    const Outcome outcome = evaluate(
        code_, [&](std::uint32_t s, double& x) { return lookup(s, x); }, stack_);
    if (outcome.uses_undefined) {
      report_undefined(code_, variables_, file_.names, seen_, ++stamp_, line, place, diagnostics_);
    }
    value = outcome.value;
    return report_value(outcome, line, place, diagnostics_);
  }

  // The rows read now are not those read first: the file changed in between.
  void changed(std::uint64_t line) {
    diagnostics_.report(Finding::unreadable, line, "the file changed while it was read");
  }

  // What a reference in a row finds: the value of its name's last definition.
  Found lookup(std::uint32_t symbol, double& found) const {
    if (variables_.defining(symbol) == none) return Found::undefined;
    if (std::isnan(values_[symbol])) return Found::failed;
    found = values_[symbol];
    return Found::value;
  }

  ObjectFile& file_;
  Lexer lexer_;
  const Variables& variables_;
  const std::vector<double>& values_;  // by name
  Diagnostics& diagnostics_;
  std::vector<Instruction> code_;
  std::vector<double> stack_;
  std::vector<std::uint64_t> seen_;
  std::uint64_t stamp_ = 0;
};

}  // namespace

std::optional<double> Wall::value(std::string_view name) const {
  const std::optional<std::uint32_t> id = names.find(name);
  if (!id || *id >= values.size() || std::isnan(values[*id])) return std::nullopt;
  return values[*id];
}

Wall evaluate_wall(ObjectFile file, ByteSource& source, Diagnostics& diagnostics) {
  Variables variables{file, std::vector<std::uint32_t>(file.names.size(), none), {}, {}};
  for (std::uint32_t v = 0; v < file.variables.size(); ++v) {
    variables.definition[file.variables[v].name] = v;
  }
  evaluate_variables(variables, diagnostics);

  Wall wall;
  wall.variable_count = file.variables.size();
  // The rows need the values by name only: the variables' code and state go first.
  wall.values.assign(variables.definition.size(), std::numeric_limits<double>::quiet_NaN());
  for (std::size_t name = 0; name < variables.definition.size(); ++name) {
    const std::uint32_t v = variables.definition[name];
    if (v != none && variables.state[v] == State::done) wall.values[name] = variables.value[v];
  }
  std::vector<State>().swap(variables.state);
  std::vector<double>().swap(variables.value);
  std::deque<VariableBlock>().swap(file.variables);
  CodeStore().swap(file.code);
  RowReader rows(file, source, variables, wall.values, diagnostics);
  wall.profiles.reserve(file.profiles.size());
  for (const ProfileBlock& block : file.profiles) {
    Profile& profile = wall.profiles.emplace_back();
    profile.name = block.name;
    profile.line = block.line;
    profile.unit = block.unit;
    profile.end = block.end;
    rows.read(block, profile);
  }
  wall.names = std::move(file.names);
  return wall;
}

Extent extent_of(const Wall& wall, bool mirror) {
  Extent extent;
  for (const Profile& profile : wall.profiles) {
    for (const Node& node : profile.nodes) {
      if (!node.ok) continue;
      extent.z_low = std::min(extent.z_low, node.z);
      extent.z_high = std::max(extent.z_high, node.z);
      extent.rho_low = std::min(extent.rho_low, node.rho);
      extent.rho_high = std::max(extent.rho_high, node.rho);
    }
  }
  if (mirror) {
    const double low = extent.rho_low;
    extent.rho_low = std::min(low, 0.0 - extent.rho_high);
    extent.rho_high = std::max(extent.rho_high, 0.0 - low);
  }
  return extent;
}

}  // namespace hornwall::view
