#include "hornwall/view/node_table.hpp"

#include <array>
#include <charconv>
#include <string>

namespace hornwall {
namespace {

constexpr std::size_t flush_size = 1 << 20;

void append_exact(std::string& out, double value) {
  std::array<char, 32> digits{};
  const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out.append(digits.data(), written.ptr);
}

}  // namespace

void write_node_table(const ObjectFile& file, const EvaluatedFile& evaluated, std::ostream& out) {
  std::string text = "profile,index,z,rho\n";
  for (std::size_t p = 0; p < file.profiles.size(); ++p) {
    const std::vector<Node>& nodes = evaluated.profiles[p].nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (!nodes[i].ok) continue;
      text.append(file.profiles[p].name);
      text += ',';
      text += std::to_string(i + 1);
      text += ',';
      append_exact(text, nodes[i].z);
      text += ',';
      append_exact(text, nodes[i].rho);
      text += '\n';
      if (text.size() > flush_size) {
        out << text;
        text.clear();
      }
    }
  }
  out << text;
}

}  // namespace hornwall
