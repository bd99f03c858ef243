#include "import/scene_properties_json.h"

#include <cmath>
#include <type_traits>

namespace svcmp {

nlohmann::ordered_json ScenePropertiesJson(const std::vector<SceneProperty>& properties,
                                           bool& finite) {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (const SceneProperty& property : properties) {
    object[property.name] = std::visit(
        [&finite](const auto& value) -> nlohmann::ordered_json {
          using Value = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, double>) {
            finite = finite && std::isfinite(value);
          } else if constexpr (std::is_same_v<Value, std::vector<double>>) {
            for (double number : value) finite = finite && std::isfinite(number);
          }
          return value;
        },
        property.value);
  }
  return object;
}

}  // namespace svcmp
