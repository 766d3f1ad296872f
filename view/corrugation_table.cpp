#include "hornwall/view/corrugation_table.hpp"

#include <optional>
#include <string>

#include "hornwall/number_text.hpp"
#include "hornwall/view/node_table.hpp"

namespace hornwall::view {
namespace {

void append_field(std::string& out, std::optional<double> value) {
  out += ',';
  if (value) append_shortest(out, *value);
}

}  // namespace

void write_corrugation_table(const Wall& wall, std::span<const FrequencyBand> bands,
                             std::ostream& out) {
  std::string text = "profile,index,z_near,z_far,height,thickness,gap,pitch";
  if (!bands.empty()) text += ",q_GHz";
  for (std::size_t b = 0; b < bands.size(); ++b) text += ",capacitive_" + std::to_string(b + 1);
  text += '\n';
  for (const Profile& profile : wall.profiles) {
    const std::optional<double> metres = metres_per_unit(profile.unit);
    const bool measured = profile.bands.size() == bands.size();
    for (std::size_t i = 0; i < profile.corrugations.size(); ++i) {
      const Corrugation& corrugation = profile.corrugations[i];
      text += profile.name;
      text += ',' + std::to_string(i + 1);
      append_field(text, corrugation.z_near);
      append_field(text, corrugation.z_far);
      append_field(text, corrugation.height);
      append_field(text, corrugation.thickness);
      append_field(text, corrugation.gap);
      append_field(text, corrugation.pitch);
      if (!bands.empty()) {
        append_field(
            text, metres ? std::optional(quarter_wave_frequency(corrugation.height * *metres) / 1e9)
                         : std::nullopt);
      }
      for (std::size_t b = 0; b < bands.size(); ++b) {
        append_field(text, measured && metres
                               ? std::optional(capacitive_part(corrugation.capacitive[b]))
                               : std::nullopt);
      }
      end_row(text, out);
    }
  }
  out << text;
}

}  // namespace hornwall::view
