#include "import/model_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "import/import_messages.h"

namespace svcmp {
namespace {

namespace msg = import_messages;

// Enough for the signatures and the first statements of a text format.
constexpr std::size_t kHeadBytes = 4096;

// Statements an OBJ file may begin with (after comments and blank lines).
constexpr std::array<std::string_view, 38> kObjStatements = {
    "v",      "vt",    "vn",       "vp",       "f",          "fo",       "l",      "p",
    "o",      "g",     "s",        "mg",       "usemtl",     "mtllib",   "usemap", "maplib",
    "cstype", "deg",   "bmat",     "step",     "curv",       "curv2",    "surf",   "parm",
    "trim",   "hole",  "scrv",     "sp",       "end",        "con",      "lod",    "ctech",
    "stech",  "bevel", "c_interp", "d_interp", "shadow_obj", "trace_obj"};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

// The encoding of text that is not UTF-8 or ASCII: a byte-order mark, or the
// zero bytes that UTF-16 puts beside every ASCII character.
std::optional<std::string> WideEncoding(std::string_view head) {
  if (StartsWith(head, std::string_view("\xFF\xFE\0\0", 4)) ||
      StartsWith(head, std::string_view("\0\0\xFE\xFF", 4))) {
    return "UTF-32";
  }
  if (StartsWith(head, "\xFF\xFE") || StartsWith(head, "\xFE\xFF")) return "UTF-16";
  if (head.size() >= 2 && (head[0] == '\0') != (head[1] == '\0') &&
      std::isprint(static_cast<unsigned char>(head[0] == '\0' ? head[1] : head[0]))) {
    return "UTF-16";
  }
  return std::nullopt;
}

// The first word of the first line that is neither blank nor a comment.
std::string_view FirstStatement(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t start = line.find_first_not_of(" \t\r\f\v");
    if (start == std::string_view::npos || line[start] == '#') continue;
    line.remove_prefix(start);
    return line.substr(0, line.find_first_of(" \t\r\f\v"));
  }
  return {};
}

bool IsObjText(std::string_view head) {
  if (Contains(head, std::string_view("\0", 1))) return false;
  const std::string_view statement = FirstStatement(head);
  return statement.empty() ||
         std::find(kObjStatements.begin(), kObjStatements.end(), statement) != kObjStatements.end();
}

}  // namespace

const char* ModelFormatName(ModelFormat format) {
  switch (format) {
    case ModelFormat::Obj:
      return "OBJ";
    case ModelFormat::Gltf:
      return "glTF";
    case ModelFormat::Glb:
      return "GLB";
    case ModelFormat::Fbx:
      return "FBX";
    case ModelFormat::Collada:
      return "COLLADA";
    case ModelFormat::ThreeDs:
      return "3DS";
    case ModelFormat::Blend:
      return "Blender";
  }
  return "";
}

ModelFormatCheck RecognizeModelFormat(std::string_view head, std::string_view extension) {
  // One message for an empty file, whichever format its name promises.
  if (head.size() < kHeadBytes && head.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos) {
    return {std::nullopt, msg::kEmptyFile};
  }
  if (StartsWith(head, "glTF")) {
    // The version follows the magic; only 2 is read (a cut header is damage,
    // which the reader tells).
    const std::uint32_t version = head.size() >= 8 ? LittleEndian32(head, 4) : 2;
    if (version == 1) return {std::nullopt, msg::kGlbOne};
    if (version != 2) {
      return {std::nullopt, msg::kGlbVersion + std::to_string(version) + msg::kNotSupportedSaveAs2};
    }
    return {ModelFormat::Glb, ""};
  }
  if (StartsWith(head, "Kaydara FBX Binary")) return {ModelFormat::Fbx, ""};
  if (StartsWith(head, "BLENDER") ||
      (Lower(extension) == ".blend" &&
       (StartsWith(head, "\x1F\x8B") || StartsWith(head, "\x28\xB5\x2F\xFD")))) {
    return {ModelFormat::Blend, ""};
  }
  // A 3DS file is one main chunk (id 0x4D4D) whose length is at least its
  // own six-byte header.
  if (head.size() >= 6 && StartsWith(head, "\x4D\x4D") && LittleEndian32(head, 2) >= 6) {
    return {ModelFormat::ThreeDs, ""};
  }
  if (const std::optional<std::string> encoding = WideEncoding(head)) {
    return {std::nullopt, msg::kUnsupportedEncoding + *encoding + msg::kSaveAsUtf8};
  }

  std::string_view text = head;
  if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  text.remove_prefix(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
  if (StartsWith(text, "<")) {
    if (Contains(Lower(text), "<collada")) return {ModelFormat::Collada, ""};
  } else if (StartsWith(text, "{")) {
    return {ModelFormat::Gltf, ""};
  } else if (Contains(text, "FBXHeaderExtension") ||
             (StartsWith(text, ";") && Contains(text.substr(0, text.find('\n')), "FBX"))) {
    return {ModelFormat::Fbx, ""};
  } else if (Lower(extension) == ".obj" && IsObjText(text)) {
    return {ModelFormat::Obj, ""};
  }
  return {std::nullopt, msg::kUnsupportedFormat};
}

ModelFormatCheck DetectModelFormat(const std::string& path) {
  const std::string quoted = "\"" + path + "\": ";
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, quoted + msg::kCannotOpen + std::strerror(errno)};
  std::string head(kHeadBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(file.gcount()));
  ModelFormatCheck check =
      RecognizeModelFormat(head, std::filesystem::path(path).extension().string());
  if (!check.format) check.error = quoted + check.error;
  return check;
}

}  // namespace svcmp
