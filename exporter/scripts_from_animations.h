#pragma once

#include <string>
#include <vector>

#include "exporter/parts_from_nodes.h"
#include "format/animation_layout.h"
#include "host/host_model.h"

// Animation scripts from the animations of the model's node tree: each
// animation that moves parts becomes a script, each part it moves a joint
// map of the channel its joint's kind takes.
namespace svcmp {

// Where cubic and step keys are sampled, per second.
inline constexpr int kScriptSamplesPerSecond = 30;

struct ScriptsFromAnimations {
  std::vector<AnimationScript> scripts;  // in the model's order of animations
  std::vector<std::string> warnings;
  std::string error;  // names the animation and the node at fault; empty when formed
};

// Measures each animated part's motion in its own rest frame, along or about
// its joint's axis: Rev angles in radians, Pris distances in the file's units
// (divided by `scaleDivisor`), Sphere turns as unit quaternions w first, in
// the file's orientation (`orientationSign` as the export's). Linear keys
// stay at their times, the keys of a part's channels merged; a part with
// step or cubic keys is sampled at kScriptSamplesPerSecond. A motion the
// joint cannot make (a Rev part that moves by more than 1e-4 of the
// model's size or turns about another axis, a Pris part that turns or leaves
// its axis, a Sphere part that moves) is an error; a value outside the
// joint's limits, and the motion of a Fix or root part (which no script
// moves), a warning, the motion left out.
[[nodiscard]] ScriptsFromAnimations FormScriptsFromAnimations(const msModel& model,
                                                              const PartsFromNodes& parts,
                                                              int scaleDivisor,
                                                              int orientationSign);

}  // namespace svcmp
