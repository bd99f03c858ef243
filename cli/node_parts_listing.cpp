#include "cli/node_parts_listing.h"

#include <string>

#include "format/cmp_node_names.h"

namespace svcmp::cli {
namespace {

const char* KindName(PartJointKind kind) {
  switch (kind) {
    case PartJointKind::Rev:
      return "Rev";
    case PartJointKind::Pris:
      return "Pris";
    case PartJointKind::Sphere:
      return "Sphere";
    case PartJointKind::Fix:
      break;
  }
  return "Fix";
}

std::string Triple(const std::array<float, 3>& v) {
  char text[96];
  std::snprintf(text, sizeof text, "(%g, %g, %g)", v[0], v[1], v[2]);
  return text;
}

std::string JointText(const PartJoint& joint) {
  std::string text = std::string(KindName(joint.kind)) + " joint to " + joint.parent + " at " +
                     Triple(joint.origin);
  char limits[256];
  if (joint.kind == PartJointKind::Rev || joint.kind == PartJointKind::Pris) {
    std::snprintf(limits, sizeof limits, ", axis %s, limits %g to %g", Triple(joint.axis).c_str(),
                  joint.min, joint.max);
    text += limits;
  } else if (joint.kind == PartJointKind::Sphere) {
    const auto& l = joint.sphereLimits;
    std::snprintf(limits, sizeof limits, ", limits x %g to %g, y %g to %g, z %g to %g", l[0], l[1],
                  l[2], l[3], l[4], l[5]);
    text += limits;
  }
  return text;
}

}  // namespace

void PrintNodePartsListing(const std::vector<NodePart>& parts,
                           const std::vector<std::vector<std::int32_t>>& meshesByLevel,
                           int scaleDivisor, std::FILE* out) {
  std::fprintf(out, "parts from the node tree (--parts nodes), at --scale %d:\n", scaleDivisor);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const NodePart& part = parts[i];
    std::string line = i == 0 ? std::string(kNodeRootPart) + " (node \"" + part.name + "\")"
                              : part.name + ": " + JointText(part.joint);
    for (std::size_t level = 0; level < meshesByLevel.size(); ++level) {
      const std::int32_t meshes = i < meshesByLevel[level].size() ? meshesByLevel[level][i] : 0;
      line += "; level " + std::to_string(level) + ": " + std::to_string(meshes) +
              (meshes == 1 ? " mesh" : " meshes");
    }
    for (std::size_t h = 0; h < part.hardpoints.size(); ++h) {
      const PartHardpoint& hardpoint = part.hardpoints[h];
      line += (h == 0 ? "; hardpoints: " : ", ") + hardpoint.name +
              (hardpoint.revolute ? " (revolute)" : " (fixed)");
    }
    std::fprintf(out, "  %s\n", line.c_str());
  }
}

void PrintNonGeometryNodes(const PartsFromNodes& formed, std::FILE* out) {
  std::string hulls;
  for (const ModelledHull& hull : formed.hulls) {
    const std::string part = hull.part == 0 || hull.part >= formed.parts.size()
                                 ? std::string(kNodeRootPart)
                                 : formed.parts[hull.part].name;
    hulls += (hulls.empty() ? "" : ", ") + ("\"" + hull.node + "\" (") + part +
             (hull.hardpoint.empty() ? "" : ", hardpoint " + hull.hardpoint) + ")";
  }
  if (!hulls.empty()) std::fprintf(out, "collision pieces: %s\n", hulls.c_str());
  std::string leftOut;
  for (const std::string& node : formed.leftOut) {
    leftOut += (leftOut.empty() ? "\"" : ", \"") + node + "\"";
  }
  if (!leftOut.empty()) std::fprintf(out, "left out (export_ignore): %s\n", leftOut.c_str());
}

}  // namespace svcmp::cli
