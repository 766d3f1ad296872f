#include "hornwall/view/node_table.hpp"

#include <array>
#include <charconv>
#include <string>

namespace hornwall::view {
namespace {

constexpr std::size_t flush_size = 1 << 20;

void append_exact(std::string& out, double value) {
  std::array<char, 32> digits{};
  const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out.append(digits.data(), written.ptr);
}

}  // namespace

void write_node_table(const Wall& wall, std::ostream& out) {
  std::string text = "profile,index,z,rho\n";
  for (const Profile& profile : wall.profiles) {
    for (std::size_t i = 0; i < profile.nodes.size(); ++i) {
      const Node& node = profile.nodes[i];
      if (!node.ok) continue;
      text += profile.name;
      text += ',';
      text += std::to_string(i + 1);
      text += ',';
      append_exact(text, node.z);
      text += ',';
      append_exact(text, node.rho);
      text += '\n';
      if (text.size() > flush_size) {
        out << text;
        text.clear();
      }
    }
  }
  out << text;
}

}  // namespace hornwall::view
