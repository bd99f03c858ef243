#include "cli/info_printer.h"

#include <string_view>

#include "cli/number_text.h"
#include "format/cmp_node_names.h"
#include "inspect/model_summary.h"
#include "inspect/wire_decoder.h"

namespace svcmp::cli {
namespace {

std::string_view JointKindName(JointKind kind) {
  switch (kind) {
    case JointKind::Fix:
      return kNodeFix;
    case JointKind::Rev:
      return kNodeRev;
    case JointKind::Pris:
      return kNodePris;
    case JointKind::Sphere:
      return kNodeSphere;
  }
  return kNodeFix;
}

std::string_view HardpointKindName(HardpointKind kind) {
  return kind == HardpointKind::Fixed ? "fixed" : "revolute";
}

// ---- text

void PrintMeshRef(const CompoundModel& model, const MeshRefSummary& summary, std::FILE* out) {
  const MeshRef& ref = *summary.ref;
  std::fprintf(
      out, "  level %d: library %s%s, %s, %s, %s\n", summary.level, LibraryName(summary).c_str(),
      summary.library ? "" : " (not in this file)",
      (Count(ref.vertexCount, "vertex", "vertices") + " from " + std::to_string(ref.startVertex))
          .c_str(),
      (Count(ref.indexCount, "index", "indices") + " from " + std::to_string(ref.startIndex))
          .c_str(),
      (Count(ref.meshCount, "mesh", "meshes") + " from " + std::to_string(ref.startMesh)).c_str());
  const Box& b = ref.box;
  std::fprintf(out, "    box x %s to %s, y %s to %s, z %s to %s; centre %s, radius %s\n",
               Number(b.minX).c_str(), Number(b.maxX).c_str(), Number(b.minY).c_str(),
               Number(b.maxY).c_str(), Number(b.minZ).c_str(), Number(b.maxZ).c_str(),
               Tuple(ref.centre).c_str(), Number(ref.radius).c_str());
  if (summary.materialIds.empty()) return;
  std::string names;
  for (std::uint32_t id : summary.materialIds) {
    names += (names.empty() ? "" : ", ") + MaterialName(model, id);
  }
  std::fprintf(out, "    materials: %s\n", names.c_str());
}

// "256 x 256, DXT1, 9 mip levels", or why the texture cannot be told.
std::string TextureText(const TextureEntry& texture) {
  if (!texture.header) return "not one DDS file (no MIPS leaf)";
  if (!texture.header->sound) return "DDS header not sound: " + texture.header->reason;
  const DdsDescription& dds = texture.header->description;
  return std::to_string(dds.width) + " x " + std::to_string(dds.height) + ", " + dds.format + ", " +
         Count(dds.mipCount, "mip level", "mip levels");
}

// "joint Rev to Root at (0, 1, 2), axis (0, 1, 0), limits -1.5 to 1.5": the
// offset and rotation only where they move or turn the part.
std::string JointText(const Joint& joint) {
  std::string text = "joint " + std::string(JointKindName(joint.kind)) + " to " + joint.parent +
                     " at " + Tuple(joint.origin);
  if (joint.offset != Vector3{}) text += ", offset " + Tuple(joint.offset);
  if (joint.rotation != Matrix3{1, 0, 0, 0, 1, 0, 0, 0, 1}) {
    text += ", rotation " + Tuple(joint.rotation);
  }
  if (joint.kind == JointKind::Rev || joint.kind == JointKind::Pris) {
    text += ", axis " + Tuple(joint.axis) + ", limits " + Number(joint.min) + " to " +
            Number(joint.max);
  } else if (joint.kind == JointKind::Sphere) {
    const auto& limits = joint.sphereLimits;
    text += ", limits x " + Number(limits[0]) + " to " + Number(limits[1]) + ", y " +
            Number(limits[2]) + " to " + Number(limits[3]) + ", z " + Number(limits[4]) + " to " +
            Number(limits[5]);
  }
  return text;
}

// "wire: 35 segments over 28 vertices of level 2", or the library no level uses.
std::string WireText(const PartSummary& part) {
  const Wire& wire = *part.wire;
  std::string text = "wire: " + Count(wire.segments.size(), "segment", "segments") + " over " +
                     Count(CountWire(wire.segments).distinctVertices, "vertex", "vertices");
  if (part.wireLevel) return text + " of level " + std::to_string(*part.wireLevel);
  char id[16];
  std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(wire.libraryId));
  return text + " of library " + id + ", which no level uses";
}

void PrintHardpoint(const Hardpoint& hardpoint, std::FILE* out) {
  std::string text =
      "  hardpoint " + std::string(HardpointKindName(hardpoint.kind)) + " " + hardpoint.name;
  if (hardpoint.position) text += ": position " + Tuple(*hardpoint.position);
  if (hardpoint.axis) text += ", axis " + Tuple(*hardpoint.axis);
  if (hardpoint.min && hardpoint.max) {
    text += ", limits " + Number(*hardpoint.min) + " to " + Number(*hardpoint.max);
  }
  std::fprintf(out, "%s\n", text.c_str());
}

// The kind of the joint a map moves, as "Rev", or "no joint".
std::string MapJointText(const CompoundModel& model, const ScriptMap& map) {
  if (map.objectMap) return "the whole model";
  const Joint* joint = FindJointOfChild(model, map.child);
  return joint ? std::string(JointKindName(joint->kind)) : "no joint";
}

// "script Sc_open baydoor: 2 joints, 3.33333 s" and a line per map:
// "  door on Root: Rev, 2 frames, 3.33333 s, timed".
void PrintScript(const CompoundModel& model, const AnimationScript& script, std::FILE* out) {
  std::fprintf(out, "script %s: %s, %s s\n", script.name.c_str(),
               Count(script.maps.size(), "map", "maps").c_str(), Number(script.Duration()).c_str());
  for (const ScriptMap& map : script.maps) {
    const AnimationChannel& channel = map.channel;
    const std::string moved = map.objectMap ? map.parent : map.child + " on " + map.parent;
    std::fprintf(out, "  %s: %s, %s, %s s, %s\n", moved.c_str(), MapJointText(model, map).c_str(),
                 Count(channel.FrameCount(), "frame", "frames").c_str(),
                 Number(channel.times.empty() ? 0 : channel.times.back()).c_str(),
                 channel.Timed() ? "timed" : ("every " + Number(channel.interval) + " s").c_str());
  }
  if (script.rootHeight) {
    std::fprintf(out, "  root height %s\n", Number(*script.rootHeight).c_str());
  }
}

// ---- JSON

template <typename T, typename F>
Json OptionalJson(const std::optional<T>& value, F&& convert) {
  return value ? convert(*value) : Json(nullptr);
}

Json JointJson(const Joint& joint) {
  Json json = {{"kind", JointKindName(joint.kind)},
               {"parent", joint.parent},
               {"child", joint.child},
               {"origin", JsonNumbers(joint.origin)}};
  if (joint.kind != JointKind::Fix) json["offset"] = JsonNumbers(joint.offset);
  json["rotation"] = JsonNumbers(joint.rotation);
  if (joint.kind == JointKind::Rev || joint.kind == JointKind::Pris) {
    json["axis"] = JsonNumbers(joint.axis);
    json["min"] = JsonNumber(joint.min);
    json["max"] = JsonNumber(joint.max);
  } else if (joint.kind == JointKind::Sphere) {
    json["limits"] = JsonNumbers(joint.sphereLimits);
  }
  return json;
}

Json MeshRefJson(const CompoundModel& model, const MeshRefSummary& summary) {
  const MeshRef& ref = *summary.ref;
  const Box& b = ref.box;
  Json materials = Json::array();
  for (std::uint32_t id : summary.materialIds) materials.push_back(MaterialName(model, id));
  return {{"level", summary.level},
          {"path", ref.path},
          {"library", LibraryName(summary)},
          {"libraryId", ref.libraryId},
          {"libraryInFile", summary.library != nullptr},
          {"startVertex", ref.startVertex},
          {"vertexCount", ref.vertexCount},
          {"startIndex", ref.startIndex},
          {"indexCount", ref.indexCount},
          {"startMesh", ref.startMesh},
          {"meshCount", ref.meshCount},
          {"box", JsonNumbers(std::array{b.maxX, b.minX, b.maxY, b.minY, b.maxZ, b.minZ})},
          {"centre", JsonNumbers(ref.centre)},
          {"radius", JsonNumber(ref.radius)},
          {"materials", materials}};
}

Json ScriptJson(const CompoundModel& model, const AnimationScript& script) {
  Json maps = Json::array();
  for (const ScriptMap& map : script.maps) {
    const AnimationChannel& channel = map.channel;
    Json json = {{"path", map.path}, {"parent", map.parent}};
    if (!map.objectMap) json["child"] = map.child;
    json["joint"] = MapJointText(model, map);
    json["type"] = channel.type;
    json["interval"] = JsonNumber(channel.interval);
    json["frames"] = channel.FrameCount();
    json["duration"] = JsonNumber(channel.times.empty() ? 0 : channel.times.back());
    maps.push_back(json);
  }
  Json json = {{"name", script.name},
               {"path", script.path},
               {"duration", JsonNumber(script.Duration())},
               {"maps", maps}};
  if (script.rootHeight) json["rootHeight"] = JsonNumber(*script.rootHeight);
  return json;
}

Json TextureJson(const TextureEntry& texture) {
  const bool readable = texture.header && texture.header->sound;
  Json json = {{"name", texture.name}, {"readable", readable}};
  if (readable) {
    const DdsDescription& dds = texture.header->description;
    json["width"] = dds.width;
    json["height"] = dds.height;
    json["format"] = dds.format;
    json["mipCount"] = dds.mipCount;
  } else {
    json["problem"] = TextureText(texture);
  }
  return json;
}

Json HardpointJson(const Hardpoint& hardpoint) {
  const auto numbers = [](const auto& values) { return JsonNumbers(values); };
  Json json = {{"kind", HardpointKindName(hardpoint.kind)},
               {"name", hardpoint.name},
               {"position", OptionalJson(hardpoint.position, numbers)},
               {"orientation", OptionalJson(hardpoint.orientation, numbers)}};
  if (hardpoint.kind == HardpointKind::Revolute) {
    json["axis"] = OptionalJson(hardpoint.axis, numbers);
    json["min"] = OptionalJson(hardpoint.min, JsonNumber);
    json["max"] = OptionalJson(hardpoint.max, JsonNumber);
  }
  return json;
}

}  // namespace

void PrintInfoText(const std::string& file, const CompoundModel& model, std::FILE* out) {
  const ModelSummary summary = SummarizeModel(model);
  std::fprintf(out, "%s: %s\n", file.c_str(),
               model.compound
                   ? ("compound model, " + Count(model.parts.size(), "part", "parts")).c_str()
                   : "single model");
  for (const MeshLibraryEntry& library : model.libraries) {
    if (!library.buffer) {
      std::fprintf(out, "library %s: unreadable\n", library.name.c_str());
      continue;
    }
    const MeshBuffer& buffer = *library.buffer;
    std::fprintf(out, "library %s: vertex format 0x%03X, %s, %s, %s\n", library.name.c_str(),
                 buffer.vertexFormat, Count(buffer.meshes.size(), "mesh", "meshes").c_str(),
                 Count(buffer.vertices.size(), "vertex", "vertices").c_str(),
                 Count(buffer.indices.size(), "index", "indices").c_str());
  }
  for (const TextureEntry& texture : model.textures) {
    std::fprintf(out, "texture %s: %s\n", texture.name.c_str(), TextureText(texture).c_str());
  }
  for (const PartSummary& part : summary.parts) {
    std::string heading = "part " + (model.compound ? part.part->objectName : file);
    if (model.compound) {
      heading += ": file " + part.part->fileName;
      if (part.part->index) heading += ", index " + std::to_string(*part.part->index);
      if (part.joint) heading += ", " + JointText(*part.joint);
    }
    std::fprintf(out, "%s\n", heading.c_str());
    for (const MeshRefSummary& ref : part.meshRefs) PrintMeshRef(model, ref, out);
    if (!part.part->switchDistances.empty()) {
      std::string distances;
      for (float d : part.part->switchDistances)
        distances += (distances.empty() ? "" : ", ") + Number(d);
      std::fprintf(out, "  level switch distances: %s\n", distances.c_str());
    }
    if (part.wire) std::fprintf(out, "  %s\n", WireText(part).c_str());
    for (const Hardpoint& hardpoint : part.part->hardpoints) PrintHardpoint(hardpoint, out);
  }
  for (const AnimationScript& script : model.scripts) PrintScript(model, script, out);
  const ModelTotals& t = summary.totals;
  std::fprintf(out, "totals: %s, %s, %s, %s, %s, %s, %s\n", Count(t.parts, "part", "parts").c_str(),
               Count(t.meshRefs, "mesh reference", "mesh references").c_str(),
               Count(t.meshes, "mesh", "meshes").c_str(),
               Count(t.vertices, "vertex", "vertices").c_str(),
               Count(t.triangles, "triangle", "triangles").c_str(),
               Count(t.hardpoints, "hardpoint", "hardpoints").c_str(),
               Count(t.joints, "joint", "joints").c_str());
}

void PrintInfoJson(const std::string& file, const CompoundModel& model, std::FILE* out) {
  const ModelSummary summary = SummarizeModel(model);
  Json libraries = Json::array();
  for (const MeshLibraryEntry& library : model.libraries) {
    Json entry = {
        {"name", library.name}, {"id", library.id}, {"readable", library.buffer.has_value()}};
    if (library.buffer) {
      entry["vertexFormat"] = library.buffer->vertexFormat;
      entry["meshes"] = library.buffer->meshes.size();
      entry["vertices"] = library.buffer->vertices.size();
      entry["indices"] = library.buffer->indices.size();
    }
    libraries.push_back(entry);
  }
  Json parts = Json::array();
  for (const PartSummary& part : summary.parts) {
    Json levels = Json::array();
    for (const MeshRefSummary& ref : part.meshRefs) levels.push_back(MeshRefJson(model, ref));
    Json hardpoints = Json::array();
    for (const Hardpoint& hardpoint : part.part->hardpoints)
      hardpoints.push_back(HardpointJson(hardpoint));
    Json distances = Json::array();
    for (float d : part.part->switchDistances) distances.push_back(JsonNumber(d));
    parts.push_back(
        {{"objectName", part.part->objectName},
         {"fileName", part.part->fileName},
         {"index", OptionalJson(part.part->index, [](std::int32_t i) { return Json(i); })},
         {"path", part.part->path},
         {"modelPath", part.part->modelPath},
         {"joint", part.joint ? JointJson(*part.joint) : Json(nullptr)},
         {"levels", levels},
         {"switchDistances", distances},
         {"hardpoints", hardpoints}});
    // Only where the part has a wire, so that other files read as before.
    if (part.wire) {
      const WireCounts counts = CountWire(part.wire->segments);
      parts.back()["wire"] = {{"path", part.wire->path},
                              {"libraryId", part.wire->libraryId},
                              {"level", part.wireLevel ? Json(*part.wireLevel) : Json(nullptr)},
                              {"segments", part.wire->segments.size()},
                              {"vertices", counts.distinctVertices}};
    }
  }
  const ModelTotals& t = summary.totals;
  Json json = {{"file", file}, {"compound", model.compound}, {"libraries", libraries}};
  // Only where the file holds textures, so that other files read as before.
  if (!model.textures.empty()) {
    Json textures = Json::array();
    for (const TextureEntry& texture : model.textures) textures.push_back(TextureJson(texture));
    json["textures"] = textures;
  }
  json["parts"] = parts;
  // Only where the file holds scripts, so that other files read as before.
  if (!model.scripts.empty()) {
    Json scripts = Json::array();
    for (const AnimationScript& script : model.scripts)
      scripts.push_back(ScriptJson(model, script));
    json["scripts"] = scripts;
  }
  json["totals"] = {{"parts", t.parts},         {"meshReferences", t.meshRefs},
                    {"meshes", t.meshes},       {"vertices", t.vertices},
                    {"triangles", t.triangles}, {"hardpoints", t.hardpoints},
                    {"joints", t.joints}};
  json["problems"] = model.findings.size();
  std::fprintf(out, "%s\n", json.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
}

}  // namespace svcmp::cli
