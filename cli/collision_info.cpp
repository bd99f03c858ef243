#include "cli/collision_info.h"

#include <algorithm>

#include "cli/collision_files.h"
#include "cli/input_files.h"
#include "cli/number_text.h"

namespace svcmp::cli {
namespace {

// Who a hull belongs to: "wrap", "hardpoint NAME" or "part NAME".
std::string HullOwner(const CollisionPart& part, const CollisionHull& hull,
                      const CollisionNames& names) {
  if (hull.kind == CollisionHullKind::Wrap) return "wrap";
  const bool hardpoint = IsHardpointHull(part, hull);
  const auto& known = hardpoint ? names.hardpoints : names.parts;
  const auto found = known.find(hull.id);
  const std::string name = found != known.end() ? found->second
                           : hull.id == part.id ? CollisionPartName(part, names)
                                                : CollisionIdText(hull.id);
  return (hardpoint ? "hardpoint " : "part ") + name;
}

}  // namespace

int RunCollisionInfo(const std::string& path, const std::string& modelPath, bool json) {
  const auto file = ReadCollisionFileOrSay(path);
  if (!file) return 1;
  CollisionNames names;
  const std::optional<std::string> model = modelPath.empty() ? ModelFileBeside(path) : modelPath;
  if (model) {
    const auto decoded = ReadCompoundModelOrSay(*model);
    if (!decoded) return 1;
    names = CollisionNamesOf(*decoded);
  }
  if (json) {
    PrintCollisionInfoJson(path, *file, names, stdout);
  } else {
    PrintCollisionInfoText(path, *file, names, stdout);
  }
  return 0;
}

void PrintCollisionInfoText(const std::string& path, const CollisionFile& file,
                            const CollisionNames& names, std::FILE* out) {
  std::fprintf(out, "%s: collision file%s, %s\n", path.c_str(),
               file.olderLayout ? " (older layout)" : "",
               Count(file.parts.size(), "part", "parts").c_str());
  for (const CollisionPart& part : file.parts) {
    std::fprintf(out, "part %s (%s)%s\n", CollisionPartName(part, names).c_str(), CollisionIdText(part.id).c_str(),
                 part.moves ? ": moves (!fxd)" : "");
    std::fprintf(out, "  box %s to %s; centre %s, radius %s\n", Tuple(part.boxMin).c_str(),
                 Tuple(part.boxMax).c_str(), Tuple(part.center).c_str(), Number(part.radius).c_str());
    std::fprintf(out, "  %s, %s, %s\n", Count(part.hulls.size(), "hull", "hulls").c_str(),
                 Count(part.points.size(), "point", "points").c_str(),
                 Count(part.nodes.size(), "node", "nodes").c_str());
    for (std::size_t index = 0; index < part.hulls.size(); ++index) {
      const CollisionHull& hull = part.hulls[index];
      std::fprintf(out, "  hull %zu: %s, %s, %s\n", index, HullOwner(part, hull, names).c_str(),
                   Count(hull.faces.size(), "face", "faces").c_str(),
                   Count(hull.pointCount, "point", "points").c_str());
    }
  }
}

void PrintCollisionInfoJson(const std::string& path, const CollisionFile& file,
                            const CollisionNames& names, std::FILE* out) {
  Json parts = Json::array();
  for (const CollisionPart& part : file.parts) {
    Json hulls = Json::array();
    for (const CollisionHull& hull : part.hulls) {
      hulls.push_back({{"owner", HullOwner(part, hull, names)},
                       {"id", hull.id},
                       {"kind", hull.kind == CollisionHullKind::Wrap ? "wrap" : "leaf"},
                       {"hardpoint", IsHardpointHull(part, hull)},
                       {"faces", hull.faces.size()},
                       {"points", hull.pointCount}});
    }
    parts.push_back({{"name", CollisionPartName(part, names)},
                     {"id", part.id},
                     {"moves", part.moves},
                     {"box", {{"min", JsonNumbers(part.boxMin)}, {"max", JsonNumbers(part.boxMax)}}},
                     {"centre", JsonNumbers(part.center)},
                     {"radius", JsonNumber(part.radius)},
                     {"inertia", JsonNumbers(part.inertia)},
                     {"deviation", part.deviation},
                     {"points", part.points.size()},
                     {"nodes", part.nodes.size()},
                     {"hardpoints", part.hardpointIds},
                     {"hulls", hulls}});
  }
  const Json json = {{"file", path}, {"olderLayout", file.olderLayout}, {"parts", parts}};
  std::fprintf(out, "%s\n", json.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
}

}  // namespace svcmp::cli
