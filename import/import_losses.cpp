#include "import/import_losses.h"

#include <algorithm>

namespace svcmp {
namespace {

// A long list of names helps nobody; the rest are counted.
constexpr std::size_t kNamesShown = 5;

struct KindText {
  const char* one;   // the lost thing, counted once
  const char* many;  // counted more often
  const char* what;  // what became of it
  const char* place;
  const char* places;
};

// Each sentence reads "COUNT THINGS WHAT in PLACE NAMES".
constexpr std::array<KindText, ImportLosses::kKindCount> kTexts = {{
    {"line or point", "lines and points", " left out (only triangles are exported)", "mesh",
     "meshes"},
    {"texture-coordinate set after the first", "texture-coordinate sets after the first",
     " left out", "mesh", "meshes"},
    {"vertex colour set", "vertex colour sets", " left out", "mesh", "meshes"},
    {"skin bone", "skin bones", " left out (the bind pose is exported)", "mesh", "meshes"},
    {"morph target", "morph targets", " left out (the base shape is exported)", "mesh", "meshes"},
    {"texture transform", "texture transforms", " left out", "material", "materials"},
    {"geometry mesh", "geometry meshes", " without a material (material id 0 is written)", "", ""},
    {"node property", "node properties",
     " left out (only text, numbers, true, false and lists of numbers are kept)", "node", "nodes"},
    {"texture coordinate that is not a finite number",
     "texture coordinates that are not finite numbers", " set to 0", "mesh", "meshes"},
    {"triangle", "triangles", " left out (a corner is no vertex of the mesh)", "mesh", "meshes"},
}};

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  const std::size_t shown = std::min(names.size(), kNamesShown);
  for (std::size_t i = 0; i < shown; ++i) list += (i > 0 ? ", \"" : "\"") + names[i] + "\"";
  if (names.size() > shown) list += " and " + std::to_string(names.size() - shown) + " more";
  return list;
}

// "COUNT THINGS WHAT in PLACE NAMES" for `count` losses in `names`.
std::string Sentence(const KindText& text, std::size_t count,
                     const std::vector<std::string>& names) {
  std::string sentence =
      std::to_string(count) + " " + (count == 1 ? text.one : text.many) + text.what + ": ";
  if (*text.place != '\0')
    sentence += std::string(names.size() == 1 ? text.place : text.places) + " ";
  return sentence + NameList(names);
}

}  // namespace

void ImportLosses::Add(Kind kind, const std::string& name, std::size_t count) {
  if (count == 0) return;
  Loss& loss = losses_[kind];
  loss.count += count;
  const auto known = std::find(loss.names.begin(), loss.names.end(), name);
  if (known != loss.names.end()) {
    loss.counts[static_cast<std::size_t>(known - loss.names.begin())] += count;
    return;
  }
  loss.names.push_back(name);
  loss.counts.push_back(count);
}

std::vector<std::string> ImportLosses::Sentences() const {
  std::vector<std::string> sentences;
  for (std::size_t kind = 0; kind < losses_.size(); ++kind) {
    const Loss& loss = losses_[kind];
    if (loss.count == 0) continue;
    if (kind != DroppedTriangles) {
      sentences.push_back(Sentence(kTexts[kind], loss.count, loss.names));
      continue;
    }
    for (std::size_t i = 0; i < loss.names.size(); ++i) {
      sentences.push_back(Sentence(kTexts[kind], loss.counts[i], {loss.names[i]}));
    }
  }
  return sentences;
}

}  // namespace svcmp
