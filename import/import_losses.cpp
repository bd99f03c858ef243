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
}};

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  const std::size_t shown = std::min(names.size(), kNamesShown);
  for (std::size_t i = 0; i < shown; ++i) list += (i > 0 ? ", \"" : "\"") + names[i] + "\"";
  if (names.size() > shown) list += " and " + std::to_string(names.size() - shown) + " more";
  return list;
}

}  // namespace

void ImportLosses::Add(Kind kind, const std::string& name, std::size_t count) {
  if (count == 0) return;
  Loss& loss = losses_[kind];
  loss.count += count;
  if (std::find(loss.names.begin(), loss.names.end(), name) == loss.names.end()) {
    loss.names.push_back(name);
  }
}

std::vector<std::string> ImportLosses::Sentences() const {
  std::vector<std::string> sentences;
  for (std::size_t kind = 0; kind < losses_.size(); ++kind) {
    const Loss& loss = losses_[kind];
    if (loss.count == 0) continue;
    const KindText& text = kTexts[kind];
    std::string sentence = std::to_string(loss.count) + " " +
                           (loss.count == 1 ? text.one : text.many) + text.what + ": ";
    if (*text.place != '\0') {
      sentence += std::string(loss.names.size() == 1 ? text.place : text.places) + " ";
    }
    sentences.push_back(sentence + NameList(loss.names));
  }
  return sentences;
}

}  // namespace svcmp
