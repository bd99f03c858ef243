#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "format/name_crc.h"

namespace svcmp::testing {

// Collision files built byte by byte for the decoder's tests. A part's tree
// leans right: the root (owning the wrap hull when there is one), leaf 0,
// an inner node, leaf 1, ..., the last leaf.
struct SurHull {
  std::uint32_t id = 0;  // ignored for the wrap hull
  bool wrap = false;
  std::vector<std::array<std::uint16_t, 3>> faces;
};

struct SurPart {
  std::uint32_t id = 0;
  bool moves = false;
  std::vector<std::pair<std::array<float, 3>, std::uint32_t>> points;
  std::vector<SurHull> hulls;  // leaf hulls, then the wrap hull if any
  std::vector<std::uint32_t> hardpointIds;
};

class SurBytes {
 public:
  SurBytes& U8(std::uint32_t v) { bytes.push_back(static_cast<std::uint8_t>(v)); return *this; }
  SurBytes& U16(std::uint32_t v) { return U8(v).U8(v >> 8); }
  SurBytes& U24(std::uint32_t v) { return U16(v).U8(v >> 16); }
  SurBytes& U32(std::uint32_t v) { return U16(v).U16(v >> 16); }
  SurBytes& F32(float v) { return U32(std::bit_cast<std::uint32_t>(v)); }
  SurBytes& Text(const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  SurBytes& Append(const std::vector<std::uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }
  std::vector<std::uint8_t> bytes;
};

// The surf block of `part`, without its size.
inline std::vector<std::uint8_t> SurfBlock(const SurPart& part) {
  std::vector<std::uint32_t> hullAt;
  std::uint32_t at = 48;
  for (const SurHull& hull : part.hulls) {
    hullAt.push_back(at);
    at += 16 + 16 * static_cast<std::uint32_t>(hull.faces.size());
  }
  const std::uint32_t pointsAt = at;
  const std::uint32_t nodesAt = pointsAt + 16 * static_cast<std::uint32_t>(part.points.size());
  const bool wrap = !part.hulls.empty() && part.hulls.back().wrap;
  const std::uint32_t leaves = static_cast<std::uint32_t>(part.hulls.size()) - (wrap ? 1 : 0);
  const std::uint32_t nodeCount = 2 * leaves - 1;
  const std::uint32_t size = nodesAt + 28 * nodeCount;

  SurBytes out;
  out.F32(0.5f).F32(0.5f).F32(0.5f).F32(0.2f).F32(0.2f).F32(0.2f).F32(1.0f).U8(7).U24(size);
  out.U32(nodesAt).U32(0).U32(0).U32(0);
  for (std::size_t h = 0; h < part.hulls.size(); ++h) {
    const SurHull& hull = part.hulls[h];
    const auto faceCount = static_cast<std::uint32_t>(hull.faces.size());
    std::map<std::pair<int, int>, int> slotOfEdge;
    for (std::uint32_t f = 0; f < faceCount; ++f) {
      for (int k = 0; k < 3; ++k) {
        slotOfEdge[{hull.faces[f][k], hull.faces[f][(k + 1) % 3]}] = static_cast<int>(4 * f + 1 + k);
      }
    }
    out.U32(pointsAt - hullAt[h]).U32(hull.wrap ? nodesAt - hullAt[h] : hull.id);
    out.U8(hull.wrap ? 5 : 4).U24(1 + faceCount + 2 + faceCount / 2).U16(faceCount).U16(0);
    for (std::uint32_t f = 0; f < faceCount; ++f) {
      out.U32(f | ((f + 1) % faceCount) << 12 | (hull.wrap ? 0x80000000u : 0));
      for (int k = 0; k < 3; ++k) {
        const int slot = static_cast<int>(4 * f + 1 + k);
        const int twin = slotOfEdge.at({hull.faces[f][(k + 1) % 3], hull.faces[f][k]});
        out.U16(hull.faces[f][k]).U16(((twin - slot) & 0x7FFF) | (hull.wrap ? 0x8000 : 0));
      }
    }
  }
  for (const auto& [position, id] : part.points) out.F32(position[0]).F32(position[1]).F32(position[2]).U32(id);
  for (std::uint32_t n = 0; n < nodeCount; ++n) {
    const std::uint32_t nodeAt = nodesAt + 28 * n;
    const bool leaf = n % 2 == 1 || n + 1 == nodeCount;
    const std::uint32_t hull = leaf ? n / 2 : (n == 0 && wrap ? leaves : ~0u);
    out.U32(leaf ? 0 : 56).U32(hull == ~0u ? 0 : hullAt[hull] - nodeAt);
    out.F32(1.5f).F32(0.5f).F32(0.5f).F32(2.0f).U8(200).U8(200).U8(200).U8(0);
  }
  return out.bytes;
}

inline std::vector<std::uint8_t> SurFile(const std::vector<SurPart>& parts) {
  SurBytes out;
  out.Text("vers").F32(2.0f);
  for (const SurPart& part : parts) {
    const auto block = SurfBlock(part);
    out.U32(part.id).U32(2 + (part.moves ? 1 : 0) + (part.hardpointIds.empty() ? 0 : 1));
    if (part.moves) out.Text("!fxd");
    out.Text("exts").F32(0).F32(0).F32(0).F32(1).F32(1).F32(1);
    out.Text("surf").U32(static_cast<std::uint32_t>(block.size())).Append(block);
    if (!part.hardpointIds.empty()) {
      out.Text("hpid").U32(static_cast<std::uint32_t>(part.hardpointIds.size()));
      for (std::uint32_t id : part.hardpointIds) out.U32(id);
    }
  }
  return out.bytes;
}

// A tetrahedron of points first..first+3 at x = `x`, wound outwards.
inline std::vector<std::array<std::uint16_t, 3>> Tetrahedron(std::uint16_t first) {
  const auto p = [&](int i) { return static_cast<std::uint16_t>(first + i); };
  return {{p(0), p(2), p(1)}, {p(0), p(1), p(3)}, {p(0), p(3), p(2)}, {p(1), p(2), p(3)}};
}

inline std::vector<std::pair<std::array<float, 3>, std::uint32_t>> TetrahedronPoints(
    float x, std::uint32_t id) {
  return {{{x, 0, 0}, id}, {{x + 1, 0, 0}, id}, {{x, 1, 0}, id}, {{x, 0, 1}, id}};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The part `rootId` (Root's by default) with a hull of its own, the hull of
// its hardpoint HpTurret01 and the wrap hull; points 0 to 3 and 4 to 7.
inline std::vector<std::uint8_t> RootWithTurretHull(std::uint32_t rootId = NameCrc("Root")) {
  const std::uint32_t turret = NameCrc("HpTurret01");
  SurPart part{rootId, true, TetrahedronPoints(0, rootId), {}, {turret}};
  const auto turretPoints = TetrahedronPoints(2, turret);
  part.points.insert(part.points.end(), turretPoints.begin(), turretPoints.end());
  part.hulls = {{rootId, false, Tetrahedron(0)},
                {turret, false, Tetrahedron(4)},
                {0, true, {{0, 2, 5}, {0, 5, 3}, {0, 3, 2}, {5, 2, 3}}}};
  return SurFile({part});
}

}  // namespace svcmp::testing
