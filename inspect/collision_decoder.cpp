#include "inspect/collision_decoder.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "format/collision_layout.h"
#include "format/name_crc.h"
#include "inspect/collision_rules.h"
#include "inspect/leaf_reader.h"

namespace svcmp {
namespace {

using std::to_string;

// The sections of a part, in the one order they may come in.
constexpr std::array<std::uint32_t, 4> kSectionOrder = {sur::kFixedTag, sur::kExtentsTag,
                                                        sur::kSurfaceTag, sur::kHardpointIdsTag};

std::string TagText(std::uint32_t tag) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(tag >> (8 * i) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return "\"" + text + "\"";
}

std::int32_t Signed(std::uint32_t value) { return static_cast<std::int32_t>(value); }

// The signed 15-bit offset of an edge's twin, in 4-byte slots.
int TwinOffset(std::uint16_t word) {
  const int offset = word & sur::kTwinMask;
  return (offset & sur::kTwinSignBit) ? offset - (sur::kTwinMask + 1) : offset;
}

class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> bytes) : bytes_(bytes), file_(bytes) {}

  CollisionDecoding Run() {
    CollisionFile file;
    file.olderLayout = file_.U32(0) != sur::kVersTag;
    const bool read = file.olderLayout ? ReadOlderParts(file) : ReadParts(file);
    if (!read) return {std::nullopt, error_};
    return {std::move(file), {}};
  }

 private:
  bool Fail(std::string_view rule, std::uint64_t offset, std::string message) {
    error_ = {std::string(rule), offset, std::move(message)};
    return false;
  }
  // Whether `length` bytes from `at` lie before `end`; refuses the file if not.
  bool Need(std::uint64_t at, std::uint64_t length, std::uint64_t end, std::string_view what) {
    if (at <= end && length <= end - at) return true;
    return Fail(rules::kSurTruncated, at, std::string(what) + " is cut short");
  }
  std::uint32_t U24(std::uint64_t at) const {
    return file_.U16(at) | static_cast<std::uint32_t>(file_.U8(at + 2)) << 16;
  }

  bool ReadParts(CollisionFile& file) {
    if (file_.Float(4) != sur::kVersion) {
      return Fail(rules::kSurSignature, 4, "the version after \"vers\" is not 2.0");
    }
    std::uint64_t at = 8;
    if (at >= file_.Size()) return Fail(rules::kSurTruncated, at, "the file holds no part");
    while (at < file_.Size()) {
      CollisionPart& part = file.parts.emplace_back();
      if (!ReadPart(at, part)) return false;
    }
    return true;
  }

  bool ReadPart(std::uint64_t& at, CollisionPart& part) {
    const std::uint64_t end = file_.Size();
    part.offset = at;
    if (!Need(at, 8, end, "a part's header")) return false;
    part.id = file_.U32(at);
    const std::uint32_t sections = file_.U32(at + 4);
    if (sections < sur::kMinSections || sections > sur::kMaxSections) {
      return Fail(rules::kSurSections, at + 4,
                  "a part has 2 to 4 sections, this one says " + to_string(sections));
    }
    at += 8;
    int last = -1;
    bool surface = false;
    for (std::uint32_t section = 0; section < sections; ++section) {
      if (!Need(at, 4, end, "a section tag")) return false;
      const std::uint32_t tag = file_.U32(at);
      const auto found = std::find(kSectionOrder.begin(), kSectionOrder.end(), tag);
      if (found == kSectionOrder.end()) {
        return Fail(rules::kSurSections, at,
                    "unknown section " + TagText(tag) + ", which has no size to skip it by");
      }
      const int order = static_cast<int>(found - kSectionOrder.begin());
      if (order <= last) {
        return Fail(rules::kSurSections, at,
                    "section " + TagText(tag) +
                        " out of order: a part has !fxd, exts, surf, hpid in that order, each once");
      }
      const int previous = last;
      last = order;
      at += 4;
      if (tag == sur::kFixedTag) {
        part.moves = true;
      } else if (tag == sur::kExtentsTag) {
        if (!Need(at, 24, end, "an exts section")) return false;
        part.boxMin = file_.Floats<3>(at);
        part.boxMax = file_.Floats<3>(at + 12);
        at += 24;
      } else if (tag == sur::kSurfaceTag) {
        if (previous != 1) {
          return Fail(rules::kSurSections, at - 4, "a part's surf section follows its exts section");
        }
        if (!ReadSizedSurf(at, part)) return false;
        surface = true;
      } else {
        if (!Need(at, 4, end, "an hpid section")) return false;
        const std::uint32_t count = file_.U32(at);
        if (!Need(at + 4, 4ull * count, end, "an hpid section")) return false;
        for (std::uint32_t i = 0; i < count; ++i) part.hardpointIds.push_back(file_.U32(at + 4 + 4 * i));
        at += 4 + 4ull * count;
      }
    }
    // The order alone lets "hpid" stand in for the missing "surf"; a part
    // without its hulls would read as sound and hold nothing to hit.
    if (!surface) {
      return Fail(rules::kSurSections, part.offset + 4, "a part has an exts and a surf section");
    }
    return true;
  }
  bool ReadSizedSurf(std::uint64_t& at, CollisionPart& part) {
    if (!Need(at, 4, file_.Size(), "a surf block's size")) return false;
    const std::uint32_t size = file_.U32(at);
    if (!ReadSurf(at + 4, size, part)) return false;
    at += 4 + static_cast<std::uint64_t>(size);
    return true;
  }

  bool ReadSurf(std::uint64_t start, std::uint32_t size, CollisionPart& part) {
    if (size < sur::kSurfHeaderSize || size > sur::kMaxBlockSize) {
      return Fail(rules::kSurBlockSize, start - 4,
                  "a surf block is 48 bytes to 16 MiB, this one says " + to_string(size));
    }
    if (!Need(start, size, file_.Size(), "a surf block of " + to_string(size) + " bytes")) {
      return false;
    }
    const std::uint64_t end = start + size;
    part.center = file_.Floats<3>(start + sur::kCenterOffset);
    part.inertia = file_.Floats<3>(start + sur::kInertiaOffset);
    part.radius = file_.Float(start + sur::kRadiusOffset);
    part.deviation = file_.U8(start + sur::kDeviationOffset);
    if (const std::uint32_t inner = U24(start + sur::kByteSizeOffset); inner != size) {
      return Fail(rules::kSurHeader, start + sur::kByteSizeOffset,
                  "the surf block says it is " + to_string(inner) + " bytes, its section says " +
                      to_string(size));
    }
    for (std::uint64_t word = 0; word < 3; ++word) {
      const std::uint64_t at = start + sur::kZeroOffset + 4 * word;
      if (file_.U32(at) != 0) return Fail(rules::kSurHeader, at, "a reserved header word is not 0");
    }
    const std::int64_t root = Signed(file_.U32(start + sur::kRootOffset));
    if (root < static_cast<std::int64_t>(sur::kSurfHeaderSize + sur::kHullHeaderSize) ||
        root >= size || (size - root) % sur::kNodeSize != 0) {
      return Fail(rules::kSurHeader, start + sur::kRootOffset,
                  "the root node's offset " + to_string(root) +
                      " does not start a run of 28-byte nodes that ends the block");
    }
    const std::uint64_t nodesAt = start + static_cast<std::uint64_t>(root);
    const std::uint64_t hullsAt = start + sur::kSurfHeaderSize;
    const std::int64_t toPoints = Signed(file_.U32(hullsAt + sur::kHullPointsOffset));
    if (toPoints <= 0 || toPoints % sur::kPointSize != 0 ||
        static_cast<std::uint64_t>(toPoints) > nodesAt - hullsAt ||
        (nodesAt - hullsAt - static_cast<std::uint64_t>(toPoints)) % sur::kPointSize != 0) {
      return Fail(rules::kSurHull, hullsAt,
                  "the first hull's point offset does not lead to points between the hulls and "
                  "the nodes");
    }
    const std::uint64_t pointsAt = hullsAt + static_cast<std::uint64_t>(toPoints);
    const std::uint64_t pointCount = (nodesAt - pointsAt) / sur::kPointSize;
    if (pointCount > sur::kMaxPartPoints) {
      return Fail(rules::kSurPoints, pointsAt,
                  "a part has at most 65,535 points, this one " + to_string(pointCount));
    }
    std::uint64_t wrapNode = 0;
    for (std::uint64_t at = hullsAt; at < pointsAt;) {
      if (!part.hulls.empty() && part.hulls.back().kind == CollisionHullKind::Wrap) {
        return Fail(rules::kSurHull, at, "a hull follows the wrap hull, which comes last");
      }
      if (at + Signed(file_.U32(at + sur::kHullPointsOffset)) != pointsAt) {
        return Fail(rules::kSurHull, at,
                    "this hull's point offset does not lead to the part's points, as the first "
                    "hull's does");
      }
      CollisionHull& hull = part.hulls.emplace_back();
      if (!ReadHull(at, pointsAt, static_cast<std::uint32_t>(pointCount), hull)) return false;
      if (hull.kind == CollisionHullKind::Wrap) {
        wrapNode = at + Signed(file_.U32(at + sur::kHullIdOffset));
      }
      at += sur::kHullHeaderSize + sur::kFaceSize * hull.faces.size();
    }
    ReadPoints(pointsAt, pointCount, part);
    if (!CheckPointUse(part, 0, 0, pointsAt)) return false;
    if (!ReadTree(nodesAt, end, part)) return false;
    if (wrapNode != 0 && wrapNode != nodesAt) {
      return Fail(rules::kSurHull, part.hulls.back().offset + sur::kHullIdOffset,
                  "the wrap hull's node offset does not lead to the root node");
    }
    return true;
  }

  // One hull record ending before `limit`, whose faces index `pointCount`
  // points.
  bool ReadHull(std::uint64_t at, std::uint64_t limit, std::uint32_t pointCount,
                CollisionHull& hull) {
    hull.offset = at;
    const std::uint8_t type = file_.U8(at + sur::kHullTypeOffset);
    if (type != sur::kLeafHullType && type != sur::kWrapHullType) {
      return Fail(rules::kSurHull, at + sur::kHullTypeOffset,
                  "hull type " + to_string(type) + " is neither 4 (leaf) nor 5 (wrap)");
    }
    hull.kind = type == sur::kWrapHullType ? CollisionHullKind::Wrap : CollisionHullKind::Leaf;
    if (hull.kind == CollisionHullKind::Leaf) hull.id = file_.U32(at + sur::kHullIdOffset);
    const std::uint32_t faceCount = file_.U16(at + sur::kHullFaceCountOffset);
    if (faceCount < 2 || faceCount % 2 != 0 || faceCount > sur::kMaxHullFaces) {
      return Fail(rules::kSurHull, at + sur::kHullFaceCountOffset,
                  "a hull has an even number of faces from 2 to 4095, this one " +
                      to_string(faceCount));
    }
    if (file_.U16(at + sur::kHullPadOffset) != 0) {
      return Fail(rules::kSurHull, at + sur::kHullPadOffset, "a hull record's last word is not 0");
    }
    hull.pointCount = 2 + faceCount / 2;
    const std::uint32_t units = U24(at + sur::kHullUnitsOffset);
    if (units != 1 + faceCount + hull.pointCount) {
      return Fail(rules::kSurHull, at + sur::kHullUnitsOffset,
                  "a closed hull of " + to_string(faceCount) + " faces has size 1 + F + V = " +
                      to_string(1 + faceCount + hull.pointCount) + ", this one says " +
                      to_string(units));
    }
    if (!Need(at + sur::kHullHeaderSize, sur::kFaceSize * faceCount, limit, "a hull's face list")) {
      return false;
    }
    const bool wrap = hull.kind == CollisionHullKind::Wrap;
    hull.faces.resize(faceCount);
    for (std::uint32_t face = 0; face < faceCount; ++face) {
      const std::uint64_t faceAt = at + sur::kHullHeaderSize + sur::kFaceSize * face;
      const std::uint32_t header = file_.U32(faceAt);
      if ((header & sur::kFaceIndexMask) != face) {
        return Fail(rules::kSurFace, faceAt,
                    "face " + to_string(face) + " says it is face " +
                        to_string(header & sur::kFaceIndexMask));
      }
      hull.faces[face].pierce = static_cast<std::uint16_t>(header >> sur::kPierceShift & sur::kFaceIndexMask);
      if (hull.faces[face].pierce >= faceCount) {
        return Fail(rules::kSurFace, faceAt,
                    "face " + to_string(face) + "'s pierce face " +
                        to_string(hull.faces[face].pierce) + " is not in its hull");
      }
      if ((header & sur::kFaceReservedMask) != 0 || ((header & sur::kWrapFaceBit) != 0) != wrap) {
        return Fail(rules::kSurFace, faceAt,
                    "face " + to_string(face) +
                        "'s flags are not 0 with the top bit set on wrap hull faces only");
      }
      for (std::uint32_t edge = 0; edge < 3; ++edge) {
        const std::uint64_t edgeAt = faceAt + sur::kSlotSize * (1 + edge);
        const std::uint16_t point = file_.U16(edgeAt);
        if (point >= pointCount) {
          return Fail(rules::kSurFace, edgeAt,
                      "an edge starts at point " + to_string(point) + " of a part of " +
                          to_string(pointCount) + " points");
        }
        hull.faces[face].points[edge] = point;
        const std::uint16_t twinWord = file_.U16(edgeAt + 2);
        if (((twinWord & sur::kWrapEdgeBit) != 0) != wrap) {
          return Fail(rules::kSurTwin, edgeAt + 2,
                      "an edge's top bit is set on wrap hull edges, and only there");
        }
        constexpr auto kSlots = static_cast<std::int64_t>(sur::kSlotsPerFace);
        const std::int64_t slot = kSlots * face + 1 + edge;
        const std::int64_t twin = slot + TwinOffset(twinWord);
        if (twin == slot || twin < 0 || twin >= kSlots * faceCount || twin % kSlots == 0) {
          return Fail(rules::kSurTwin, edgeAt + 2,
                      "an edge's twin offset leads to slot " + to_string(twin) +
                          ", no other edge of its hull");
        }
        hull.faces[face].twins[edge] =
            static_cast<std::uint32_t>(twin / kSlots * 3 + twin % kSlots - 1);
      }
    }
    return CheckTwins(at, hull);
  }

  bool CheckTwins(std::uint64_t at, const CollisionHull& hull) {
    std::vector<std::uint16_t> used;
    for (std::uint32_t face = 0; face < hull.faces.size(); ++face) {
      const CollisionFace& own = hull.faces[face];
      for (std::uint32_t edge = 0; edge < 3; ++edge) {
        const std::uint32_t twin = own.twins[edge];
        const CollisionFace& other = hull.faces[twin / 3];
        if (other.twins[twin % 3] != 3 * face + edge ||
            other.points[twin % 3] != own.points[(edge + 1) % 3] ||
            other.points[(twin % 3 + 1) % 3] != own.points[edge]) {
          return Fail(rules::kSurTwin,
                      at + sur::kHullHeaderSize + sur::kFaceSize * face + sur::kSlotSize * (1 + edge),
                      "edge " + to_string(edge) + " of face " + to_string(face) +
                          " and its twin are not one edge run both ways");
        }
        used.push_back(own.points[edge]);
      }
    }
    std::sort(used.begin(), used.end());
    const auto distinct = std::unique(used.begin(), used.end()) - used.begin();
    if (static_cast<std::uint32_t>(distinct) != hull.pointCount) {
      return Fail(rules::kSurHull, at + sur::kHullUnitsOffset,
                  "a closed hull of " + to_string(hull.faces.size()) + " faces uses " +
                      to_string(hull.pointCount) + " points, this one " + to_string(distinct));
    }
    return true;
  }

  void ReadPoints(std::uint64_t at, std::uint64_t count, CollisionPart& part) {
    for (std::uint64_t i = 0; i < count; ++i, at += sur::kPointSize) {
      part.points.push_back({file_.Floats<3>(at), file_.U32(at + 12)});
    }
  }

  // Every point from `first` on is used by a leaf hull (from `firstHull` on)
  // with the point's id; the wrap hull uses no other points.
  bool CheckPointUse(const CollisionPart& part, std::size_t firstHull, std::size_t first,
                     std::uint64_t pointsAt) {
    std::vector<std::uint8_t> leafUse(part.points.size()), ownerUse(part.points.size());
    for (std::size_t index = firstHull; index < part.hulls.size(); ++index) {
      const CollisionHull& hull = part.hulls[index];
      if (hull.kind != CollisionHullKind::Leaf) continue;
      for (const CollisionFace& face : hull.faces) {
        for (const std::uint16_t point : face.points) {
          leafUse[point] = 1;
          if (part.points[point].id == hull.id) ownerUse[point] = 1;
        }
      }
    }
    for (std::size_t point = first; point < part.points.size(); ++point) {
      const std::uint64_t at = pointsAt + sur::kPointSize * (point - first);
      if (!leafUse[point]) {
        return Fail(rules::kSurPoints, at,
                    "point " + to_string(point - first) + " is used by no leaf hull");
      }
      if (!ownerUse[point]) {
        return Fail(rules::kSurPoints, at + 12,
                    "point " + to_string(point - first) +
                        " carries an id of no leaf hull that uses it");
      }
    }
    return true;
  }

  // The nodes from `at` to `end`: a full binary tree stored depth first,
  // each inner node followed by its left child.
  bool ReadTree(std::uint64_t at, std::uint64_t end, CollisionPart& part) {
    const std::size_t count = (end - at) / sur::kNodeSize;
    std::vector<std::uint8_t> owned(part.hulls.size());
    std::vector<std::size_t> pendingRight;
    for (std::size_t index = 0; index < count; ++index) {
      const std::uint64_t nodeAt = at + sur::kNodeSize * index;
      CollisionNode& node = part.nodes.emplace_back();
      node.offset = nodeAt;
      node.center = file_.Floats<3>(nodeAt + sur::kNodeCenterOffset);
      node.radius = file_.Float(nodeAt + sur::kNodeRadiusOffset);
      for (std::size_t k = 0; k < 3; ++k) node.box[k] = file_.U8(nodeAt + sur::kNodeBoxOffset + k);
      if (file_.U8(nodeAt + sur::kNodePadOffset) != 0) {
        return Fail(rules::kSurTree, nodeAt + sur::kNodePadOffset, "a node's last byte is not 0");
      }
      const std::int64_t toHull = Signed(file_.U32(nodeAt + sur::kNodeHullOffset));
      if (toHull != 0) {
        const std::uint64_t hullAt = nodeAt + toHull;
        const auto found = std::lower_bound(
            part.hulls.begin(), part.hulls.end(), hullAt,
            [](const CollisionHull& hull, std::uint64_t offset) { return hull.offset < offset; });
        if (found == part.hulls.end() || found->offset != hullAt ||
            owned[found - part.hulls.begin()]) {
          return Fail(rules::kSurTree, nodeAt + sur::kNodeHullOffset,
                      "node " + to_string(index) + "'s hull offset leads to no hull of its own");
        }
        node.hull = static_cast<int>(found - part.hulls.begin());
        owned[node.hull] = 1;
      }
      const std::int64_t toRight = Signed(file_.U32(nodeAt + sur::kNodeRightOffset));
      if (toRight == 0) {
        if (node.hull < 0 || part.hulls[node.hull].kind != CollisionHullKind::Leaf) {
          return Fail(rules::kSurTree, nodeAt + sur::kNodeHullOffset,
                      "leaf node " + to_string(index) + " owns no leaf hull");
        }
        if (index + 1 == count) continue;
        if (pendingRight.empty() || pendingRight.back() != index + 1) {
          return Fail(rules::kSurTree, nodeAt + sur::kNodeSize,
                      "node " + to_string(index + 1) +
                          " is no node's right child: the tree is not full and depth first");
        }
        pendingRight.pop_back();
        continue;
      }
      if (toRight < static_cast<std::int64_t>(2 * sur::kNodeSize) || toRight % sur::kNodeSize != 0 ||
          index + toRight / sur::kNodeSize >= count) {
        return Fail(rules::kSurTree, nodeAt + sur::kNodeRightOffset,
                    "node " + to_string(index) + "'s right child offset " + to_string(toRight) +
                        " leads to no node after its left child");
      }
      node.right = static_cast<int>(index + static_cast<std::size_t>(toRight / sur::kNodeSize));
      pendingRight.push_back(static_cast<std::size_t>(node.right));
      const bool wrapOwner = node.hull >= 0 && part.hulls[node.hull].kind == CollisionHullKind::Wrap;
      if (index == 0 ? !wrapOwner : node.hull >= 0) {
        return Fail(rules::kSurTree, nodeAt + sur::kNodeHullOffset,
                    "the root of two or more leaves owns the wrap hull, and no other inner node "
                    "owns a hull");
      }
    }
    if (!pendingRight.empty()) {
      return Fail(rules::kSurTree, end, "the nodes end before the tree's last right child");
    }
    for (std::size_t hull = 0; hull < part.hulls.size(); ++hull) {
      if (!owned[hull]) {
        return Fail(rules::kSurTree, part.hulls[hull].offset,
                    part.hulls[hull].kind == CollisionHullKind::Wrap
                        ? "a wrap hull in a tree of one leaf"
                        : "a leaf hull that no leaf node owns");
      }
    }
    return true;
  }

  bool ReadOlderParts(CollisionFile& file) {
    const std::uint64_t end = file_.Size();
    if (!Need(0, sur::kOlderBoxSize, end, "the box of an older collision file")) return false;
    std::uint64_t at = sur::kOlderBoxSize;
    if (at >= end) return Fail(rules::kSurTruncated, at, "the file holds no part");
    while (at < end) {
      CollisionPart& part = file.parts.emplace_back();
      part.offset = at;
      if (!Need(at, 4, end, "a part's name length")) return false;
      const std::uint32_t nameLength = file_.U32(at);
      if (!Need(at + 4, nameLength + 8ull, end, "a part's name, tag and count")) return false;
      part.name = std::string(reinterpret_cast<const char*>(bytes_.data() + at + 4), nameLength);
      part.id = part.name.empty() ? 0 : NameCrc(part.name);
      at += 4 + nameLength;
      const std::uint32_t tag = file_.U32(at);
      const std::uint32_t count = file_.U32(at + 4);
      if (tag == sur::kSurfaceTag && count != 1) {
        return Fail(rules::kSurSections, at + 4,
                    "an older part holds one surf block, this one says " + to_string(count));
      }
      if (tag != sur::kSurfaceTag && tag != sur::kLedgeTag) {
        return Fail(rules::kSurSections, at,
                    "an older part's tag " + TagText(tag) + " is neither \"surf\" nor \"ledg\"");
      }
      at += 8;
      if (tag == sur::kSurfaceTag) {
        if (!ReadSizedSurf(at, part)) return false;
        continue;
      }
      for (std::uint32_t block = 0; block < count; ++block) {
        if (!Need(at, 4, end, "a ledg block's size")) return false;
        const std::uint32_t size = file_.U32(at);
        if (!ReadLedge(at + 4, size, part)) return false;
        at += 4 + static_cast<std::uint64_t>(size);
      }
    }
    return true;
  }

  // A ledg block: one leaf hull record directly followed by its own points.
  bool ReadLedge(std::uint64_t start, std::uint32_t size, CollisionPart& part) {
    if (!Need(start, size, file_.Size(), "a ledg block of " + to_string(size) + " bytes")) return false;
    const std::uint32_t faceCount = file_.U16(start + sur::kHullFaceCountOffset);
    const std::uint64_t pointsAt = start + sur::kHullHeaderSize + sur::kFaceSize * faceCount;
    const std::uint32_t pointCount = 2 + faceCount / 2;
    if (start + Signed(file_.U32(start + sur::kHullPointsOffset)) != pointsAt ||
        size != pointsAt - start + sur::kPointSize * pointCount) {
      return Fail(rules::kSurBlockSize, start,
                  "a ledg block is a hull record of F faces followed by its 2 + F/2 points");
    }
    const std::size_t first = part.points.size();
    CollisionHull& hull = part.hulls.emplace_back();
    if (!ReadHull(start, pointsAt, pointCount, hull)) return false;
    if (hull.kind != CollisionHullKind::Leaf) {
      return Fail(rules::kSurHull, start + sur::kHullTypeOffset, "a ledg block holds a leaf hull");
    }
    for (CollisionFace& face : hull.faces) {
      for (std::uint16_t& point : face.points) point = static_cast<std::uint16_t>(point + first);
    }
    if (first + pointCount > sur::kMaxPartPoints) {
      return Fail(rules::kSurPoints, pointsAt, "a part has at most 65,535 points");
    }
    ReadPoints(pointsAt, pointCount, part);
    return CheckPointUse(part, part.hulls.size() - 1, first, pointsAt);
  }

  std::span<const std::uint8_t> bytes_;
  LeafReader file_;
  CollisionError error_;
};

}  // namespace

CollisionDecoding DecodeCollisionFile(std::span<const std::uint8_t> bytes) {
  return Decoder(bytes).Run();
}

}  // namespace svcmp
