#pragma once

#include <string>
#include <vector>

#include "utf/utf_tree.h"

namespace svcmp {

// Everything the export job tells the user. A front end prints it (cmptool)
// or shows it; tests record it.
class ExportJobUi {
 public:
  virtual ~ExportJobUi() = default;
  // Something is left out; the export goes on.
  virtual void Warn(const std::string& text) = 0;
  // Why the export stops; every target is left as it was.
  virtual void Fail(const std::string& text) = 0;
  // What a step did, for the user's information ("simplified the geometry
  // from ... to ... triangles").
  virtual void Note(const std::string& text) = 0;
  // Another export holds `path`; this one waits for it to be free.
  virtual void Waiting(const std::string& path) = 0;
  // Every file is in place: one line per level, and the .cmp's tree as written.
  virtual void Written(const std::vector<std::string>& summaries, const UtfTree& tree) = 0;
};

}  // namespace svcmp
