#include "inspect/collision_checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

#include "format/collision_layout.h"
#include "format/name_crc.h"
#include "inspect/collision_rules.h"

namespace svcmp {
namespace {

using Point = std::array<double, 3>;

Point ToPoint(const std::array<float, 3>& p) { return {p[0], p[1], p[2]}; }
Point Minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point Cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

std::string Where(const std::string& part, std::size_t hull, const CollisionHull& record) {
  return "part " + part + ", hull " + std::to_string(hull) + (record.source.empty() ? "" : " (" + record.source + ")") +
         " at byte " + std::to_string(record.offset);
}

std::vector<std::uint16_t> HullPoints(const CollisionHull& hull) {
  std::vector<std::uint16_t> points;
  for (const CollisionFace& face : hull.faces) points.insert(points.end(), face.points.begin(), face.points.end());
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

// The largest distance of a hull's points in front of one of its faces, and
// six times its signed volume: what tells a convex hull wound outwards.
void CheckConvex(const CollisionPart& part, std::size_t index, const std::string& name,
                 Findings& findings) {
  const CollisionHull& hull = part.hulls[index];
  const std::vector<std::uint16_t> used = HullPoints(hull);
  Point low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const std::uint16_t point : used) {
    const Point p = ToPoint(part.points[point].position);
    for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
  }
  const Point diagonal = Minus(high, low);
  const double tolerance = 1e-4 * std::sqrt(Dot(diagonal, diagonal));
  double volume = 0, worst = 0;
  for (const CollisionFace& face : hull.faces) {
    const Point a = ToPoint(part.points[face.points[0]].position);
    const Point normal = Cross(Minus(ToPoint(part.points[face.points[1]].position), a),
                               Minus(ToPoint(part.points[face.points[2]].position), a));
    volume += Dot(a, normal);
    const double length = std::sqrt(Dot(normal, normal));
    if (!(length > 0)) continue;
    for (const std::uint16_t point : used) {
      worst = std::max(worst, Dot(Minus(ToPoint(part.points[point].position), a), normal) / length);
    }
  }
  if (volume < 0) {
    findings.push_back({Where(name, index, hull), Severity::Warning,
                        std::string(rules::kSurConvex), "the hull is wound inwards"});
  } else if (worst > tolerance) {
    findings.push_back({Where(name, index, hull), Severity::Warning,
                        std::string(rules::kSurConvex),
                        "the hull is not convex: a point lies " + std::to_string(worst) +
                            " in front of a face"});
  }
}

// Every point of the leaf hulls below a node lies in the node's box, give
// or take one of its steps.
void CheckNodeBoxes(const CollisionPart& part, const std::string& name, Findings& findings) {
  const std::size_t count = part.nodes.size();
  std::vector<std::size_t> end(count);
  for (std::size_t i = count; i-- > 0;) {
    end[i] = part.nodes[i].right < 0 ? i + 1 : end[static_cast<std::size_t>(part.nodes[i].right)];
  }
  std::vector<std::vector<std::uint16_t>> leafPoints(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (part.nodes[i].right < 0 && part.nodes[i].hull >= 0) leafPoints[i] = HullPoints(part.hulls[part.nodes[i].hull]);
  }
  for (std::size_t i = 0; i < count; ++i) {
    const CollisionNode& node = part.nodes[i];
    const double step = node.radius / sur::kRadiusSteps;
    const double slack = step + 1e-4 * std::fabs(node.radius);
    for (std::size_t leaf = i; leaf < end[i]; ++leaf) {
      const auto outside = std::find_if(leafPoints[leaf].begin(), leafPoints[leaf].end(), [&](std::uint16_t point) {
        for (int k = 0; k < 3; ++k) {
          const double half = node.box[k] * step;
          if (std::fabs(part.points[point].position[k] - node.center[k]) > half + slack) return true;
        }
        return false;
      });
      if (outside == leafPoints[leaf].end()) continue;
      findings.push_back({"part " + name + ", node " + std::to_string(i) + " at byte " + std::to_string(node.offset),
                          Severity::Warning, std::string(rules::kSurNodeBox),
                          "point " + std::to_string(*outside) + " lies outside the node's box"});
      break;
    }
  }
}

void CheckIds(const CollisionPart& part, const std::string& name, const CollisionNames& names,
              Findings& findings) {
  const std::string where = "part " + name + " at byte " + std::to_string(part.offset);
  if (!names.parts.contains(part.id)) {
    findings.push_back({where, Severity::Warning, std::string(rules::kSurPartId),
                        "part id " + CollisionIdText(part.id) + " names no part of the model"});
  }
  for (const std::uint32_t id : part.hardpointIds) {
    if (!names.hardpoints.contains(id)) {
      findings.push_back({where, Severity::Warning, std::string(rules::kSurHardpointId),
                          "hardpoint id " + CollisionIdText(id) + " names no hardpoint of the model"});
    }
  }
  std::set<std::uint32_t> told;
  for (std::size_t index = 0; index < part.hulls.size(); ++index) {
    const CollisionHull& hull = part.hulls[index];
    if (hull.kind != CollisionHullKind::Leaf || names.parts.contains(hull.id) ||
        names.hardpoints.contains(hull.id) || !told.insert(hull.id).second) {
      continue;
    }
    findings.push_back({Where(name, index, hull), Severity::Warning,
                        std::string(rules::kSurPartId),
                        "hull id " + CollisionIdText(hull.id) + " names no part or hardpoint of the model"});
  }
}

}  // namespace

std::string CollisionIdText(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", id);
  return text;
}

CollisionNames CollisionNamesOf(const CompoundModel& model) {
  CollisionNames names;
  for (const Part& part : model.parts) {
    names.parts[model.compound ? NameCrc(part.objectName) : 0] = part.objectName;
    for (const Hardpoint& hardpoint : part.hardpoints) names.hardpoints[NameCrc(hardpoint.name)] = hardpoint.name;
  }
  return names;
}

bool IsHardpointHull(const CollisionPart& part, const CollisionHull& hull) {
  return hull.kind == CollisionHullKind::Leaf &&
         std::find(part.hardpointIds.begin(), part.hardpointIds.end(), hull.id) !=
             part.hardpointIds.end();
}

std::string CollisionPartName(const CollisionPart& part, const CollisionNames& names) {
  if (!part.name.empty()) return part.name;
  const auto found = names.parts.find(part.id);
  return found != names.parts.end() && !found->second.empty() ? found->second : CollisionIdText(part.id);
}

Findings CheckCollisionFile(const CollisionFile& file, const CompoundModel* model) {
  const CollisionNames names = model ? CollisionNamesOf(*model) : CollisionNames{};
  Findings findings;
  std::set<std::uint32_t> covered;
  for (const CollisionPart& part : file.parts) {
    const std::string name = CollisionPartName(part, names);
    covered.insert(part.id);
    if (model) CheckIds(part, name, names, findings);
    for (std::size_t index = 0; index < part.hulls.size(); ++index) CheckConvex(part, index, name, findings);
    CheckNodeBoxes(part, name, findings);
  }
  if (model) {
    for (const auto& [id, name] : names.parts) {
      if (covered.contains(id)) continue;
      findings.push_back({"part " + name, Severity::Warning, std::string(rules::kSurNoCollision),
                          "the part has no collision: it cannot be hit"});
    }
  }
  return findings;
}

}  // namespace svcmp
