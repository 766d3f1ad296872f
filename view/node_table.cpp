#include "hornwall/view/node_table.hpp"

#include <string>

#include "hornwall/number_text.hpp"
#include "hornwall/view/output_text.hpp"

namespace hornwall::view {

void end_row(std::string& text, std::ostream& out) {
  text += '\n';
  write_out_when_large(text, out);
}

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
      append_shortest(text, node.z);
      text += ',';
      append_shortest(text, node.rho);
      end_row(text, out);
    }
  }
  out << text;
}

}  // namespace hornwall::view
