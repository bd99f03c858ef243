// Feeds arbitrary bytes to the animation script decoder: split into a
// channel's "Header" and "Frames" leaves, so the fuzzer need not find a UTF
// wrapper first, and as a whole UTF file with the checker behind it. What a
// channel decodes to must hold one time per frame and the values its type
// names, which the pose and the printers rely on.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "inspect/animation_decoder.h"
#include "inspect/compound_model.h"
#include "inspect/model_checks.h"
#include "utf/utf_reader.h"

namespace {

void CheckChannel(const svcmp::AnimationChannel& channel) {
  if (channel.times.empty() ||
      channel.values.size() != channel.times.size() * svcmp::ChannelValueCount(channel.type)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const std::size_t split = std::min<std::size_t>(size, svcmp::kChannelHeaderSize);
  svcmp::Findings findings;
  if (auto channel =
          svcmp::DecodeChannel(bytes.first(split), bytes.subspan(split), "/", findings)) {
    CheckChannel(*channel);
  }

  svcmp::UtfTree tree;
  if (svcmp::ReadUtfBytes(bytes, tree, nullptr).ok()) {
    const svcmp::CompoundModel model = svcmp::DecodeCompoundModel(tree);
    for (const auto& script : model.scripts) {
      for (const auto& map : script.maps) CheckChannel(map.channel);
    }
    (void)svcmp::CheckModels({{"a", &model}});
  }
  return 0;
}
