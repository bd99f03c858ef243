#include "utf/utf_reader.h"

#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "utf/file_io.h"
#include "utf/utf_format.h"
#include "utf/utf_messages.h"

namespace svcmp {
namespace {

namespace fmt = utf_format;
namespace msg = utf_messages;

constexpr std::size_t kNoParent = std::numeric_limits<std::size_t>::max();

// Names and data of the loaded tree may exceed the file only by this much:
// entries can share names and data, and without a bound a small file could
// make the reader allocate gigabytes.
constexpr std::uint64_t kRepeatFactor = 8;
constexpr std::uint64_t kRepeatAllowance = 1 << 20;

// The one place where file bytes are read: every read is checked against the
// block's size, and words are built little-endian byte by byte.
class BoundedBytes {
 public:
  BoundedBytes() = default;
  explicit BoundedBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Size() const { return bytes_.size(); }
  bool Holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  std::optional<std::uint32_t> Word(std::uint64_t offset) const {
    if (!Holds(offset, 4)) return std::nullopt;
    const std::uint8_t* at = bytes_.data() + offset;
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
  }
  // The block [offset, offset + length); the caller has checked Holds.
  BoundedBytes Slice(std::uint64_t offset, std::uint64_t length) const {
    return BoundedBytes(bytes_.subspan(offset, length));
  }
  // The zero-terminated string at `offset`, or nullopt when it does not end
  // inside the block.
  std::optional<std::string_view> String(std::uint64_t offset) const {
    if (offset >= bytes_.size()) return std::nullopt;
    const auto* start = bytes_.data() + offset;
    const void* end = std::memchr(start, 0, bytes_.size() - offset);
    if (end == nullptr) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(start),
                            static_cast<const std::uint8_t*>(end) - start);
  }
  std::span<const std::uint8_t> Span() const { return bytes_; }

 private:
  std::span<const std::uint8_t> bytes_;
};

std::int32_t AsSigned(std::uint32_t word) { return static_cast<std::int32_t>(word); }

struct ParsedNode {
  std::size_t parent = kNoParent;  // index into the parsed nodes
  std::string_view name;
  std::optional<std::span<const std::uint8_t>> data;
  bool compressed = false;
};

// A chain of entries still to load: the entry at `offset` and its siblings,
// under `parent`; `referrer` is the entry whose link led here.
struct PendingChain {
  std::uint32_t offset = 0;
  std::size_t parent = kNoParent;
  std::size_t referrer = 0;
  std::string_view link;
};

UtfReadResult Refuse(UtfReadStatus status, std::string_view reason) {
  return {status, std::string(reason)};
}

std::string NodeFault(std::size_t entry, std::string_view fault) {
  return "node " + std::to_string(entry) + ": " + std::string(fault);
}

class Parser {
 public:
  explicit Parser(std::span<const std::uint8_t> bytes) : file_(bytes) {}

  // Checks the whole file and lists its nodes in pre-order; touches no tree.
  UtfReadResult Parse(std::vector<ParsedNode>& nodes) {
    if (file_.Size() < 8) return Refuse(UtfReadStatus::NotUtf, msg::kTooShort);
    if (*file_.Word(fmt::kHeaderSignature) != fmt::kSignature) {
      return Refuse(UtfReadStatus::NotUtf, msg::kWrongSignature);
    }
    if (*file_.Word(fmt::kHeaderVersion) != fmt::kVersion) {
      return Refuse(UtfReadStatus::NotUtf, msg::kWrongVersion);
    }
    if (file_.Size() < fmt::kHeaderSize) return Refuse(UtfReadStatus::Damaged, msg::kHeaderCut);

    const std::uint32_t nodeTableOffset = *file_.Word(fmt::kHeaderNodeTableOffset);
    const std::uint32_t nodeTableSize = *file_.Word(fmt::kHeaderNodeTableSize);
    const std::uint32_t nameTableOffset = *file_.Word(fmt::kHeaderNameTableOffset);
    const std::uint32_t nameTableSize = *file_.Word(fmt::kHeaderNameTableSize);
    const std::uint32_t dataOffset = *file_.Word(fmt::kHeaderDataOffset);
    if (!file_.Holds(nodeTableOffset, nodeTableSize)) {
      return Refuse(UtfReadStatus::Damaged, msg::kNodeTableOutside);
    }
    if (!file_.Holds(nameTableOffset, nameTableSize)) {
      return Refuse(UtfReadStatus::Damaged, msg::kNameTableOutside);
    }
    if (dataOffset > file_.Size()) return Refuse(UtfReadStatus::Damaged, msg::kDataAreaOutside);
    nodeTable_ = file_.Slice(nodeTableOffset, nodeTableSize);
    names_ = file_.Slice(nameTableOffset, nameTableSize);
    dataArea_ = file_.Slice(dataOffset, file_.Size() - dataOffset);

    // A partial entry at the end of the table is no entry.
    entryCount_ = nodeTableSize / fmt::kNodeEntrySize;
    if (entryCount_ == 0) return Refuse(UtfReadStatus::Damaged, msg::kNodeTableEmpty);
    budget_ = kRepeatFactor * file_.Size() + kRepeatAllowance;
    return Walk(nodes);
  }

 private:
  std::uint32_t EntryWord(std::size_t entry, std::size_t field) const {
    return *nodeTable_.Word(entry * fmt::kNodeEntrySize + field);
  }

  // Pre-order over the file's tree with an explicit stack, so neither deep
  // nesting nor long chains cost call stack. Every entry is loaded at most
  // once, which bounds the walk by the number of entries.
  UtfReadResult Walk(std::vector<ParsedNode>& nodes) {
    std::vector<bool> loaded(entryCount_, false);
    // At most one parsed node per entry: no regrowth, no copies.
    nodes.reserve(entryCount_);
    loaded[0] = true;  // offset 0 ends a chain: entry 0 is nobody's child or sibling

    // Entry 0 is always the top node, a folder whatever its flags say; its
    // sibling link is ignored.
    ParsedNode top;
    if (UtfReadResult named = ReadName(0, top); !named.ok()) return named;
    nodes.push_back(top);

    std::vector<PendingChain> pending;
    pending.push_back({EntryWord(0, fmt::kEntryChildOrDataOffset), 0, 0, msg::kFirstChild});
    while (!pending.empty()) {
      const PendingChain chain = pending.back();
      pending.pop_back();
      // Entry offsets are rounded down to a whole entry.
      const std::size_t entry = chain.offset / fmt::kNodeEntrySize;
      if (entry == 0) continue;
      if (entry >= entryCount_) {
        return Refuse(UtfReadStatus::Damaged,
                      NodeFault(chain.referrer, std::string(chain.link) + " " +
                                                    std::string(msg::kLinkOutside)));
      }
      if (loaded[entry]) {
        return Refuse(UtfReadStatus::Damaged,
                      NodeFault(chain.referrer, std::string(chain.link) + ", node " +
                                                    std::to_string(entry) + ", " +
                                                    std::string(msg::kLinkedTwice)));
      }
      loaded[entry] = true;

      ParsedNode node;
      node.parent = chain.parent;
      if (UtfReadResult named = ReadName(entry, node); !named.ok()) return named;
      const bool leaf = (EntryWord(entry, fmt::kEntryFlags) & fmt::kLeafFlag) != 0;
      if (leaf) {
        if (UtfReadResult data = ReadData(entry, node); !data.ok()) return data;
      }
      const std::size_t index = nodes.size();
      nodes.push_back(node);

      // The sibling chain goes on after this node's whole subtree.
      pending.push_back(
          {EntryWord(entry, fmt::kEntrySiblingOffset), chain.parent, entry, msg::kNextSibling});
      if (!leaf) {
        pending.push_back(
            {EntryWord(entry, fmt::kEntryChildOrDataOffset), index, entry, msg::kFirstChild});
      }
    }
    return {};
  }

  UtfReadResult ReadName(std::size_t entry, ParsedNode& node) {
    const std::uint32_t offset = EntryWord(entry, fmt::kEntryNameOffset);
    if (offset >= names_.Size()) {
      return Refuse(UtfReadStatus::Damaged, NodeFault(entry, msg::kNameOutside));
    }
    const std::optional<std::string_view> name = names_.String(offset);
    if (!name) return Refuse(UtfReadStatus::Damaged, NodeFault(entry, msg::kNameUnterminated));
    node.name = *name;
    return Spend(entry, name->size());
  }

  UtfReadResult ReadData(std::size_t entry, ParsedNode& node) {
    const std::int32_t dataSize = AsSigned(EntryWord(entry, fmt::kEntryDataSize));
    if (dataSize <= 0) return {};  // a leaf without data
    const std::int32_t storedSize = AsSigned(EntryWord(entry, fmt::kEntryStoredSize));
    const std::int32_t unpackedSize = AsSigned(EntryWord(entry, fmt::kEntryUnpackedSize));
    // Other tools pad the allocated size at offset 20 and keep the used size
    // at offset 24; reading the used size keeps their padding out of the tree.
    const std::uint32_t used =
        storedSize >= 0 && storedSize <= dataSize ? static_cast<std::uint32_t>(storedSize)
                                                  : static_cast<std::uint32_t>(dataSize);
    const std::uint32_t offset = EntryWord(entry, fmt::kEntryChildOrDataOffset);
    if (!dataArea_.Holds(offset, used)) {
      return Refuse(UtfReadStatus::Damaged, NodeFault(entry, msg::kDataOutside));
    }
    node.data = dataArea_.Span().subspan(offset, used);
    node.compressed = storedSize != unpackedSize;
    return Spend(entry, used);
  }

  UtfReadResult Spend(std::size_t entry, std::uint64_t bytes) {
    if (bytes > budget_) {
      return Refuse(UtfReadStatus::Damaged, NodeFault(entry, msg::kTooMuchRepeated));
    }
    budget_ -= bytes;
    return {};
  }

  BoundedBytes file_;
  BoundedBytes nodeTable_;
  BoundedBytes names_;
  BoundedBytes dataArea_;
  std::size_t entryCount_ = 0;
  std::uint64_t budget_ = 0;
};

}  // namespace

UtfReadResult ReadUtfImage(const ByteBlock& image, UtfTree& tree,
                           const CompressionWarning& onCompression) {
  std::vector<ParsedNode> nodes;
  if (UtfReadResult parsed = Parser(image).Parse(nodes); !parsed.ok()) return parsed;

  // Everything was checked: only now does the tree change.
  std::vector<UtfNode> handles;
  handles.reserve(nodes.size());
  for (const ParsedNode& node : nodes) {
    UtfNode parent = node.parent == kNoParent ? nullptr : handles[node.parent];
    UtfNode handle = tree.AddNode(parent, node.name);
    if (node.data) {
      // The parsed block lies inside the image: share it instead of copying.
      tree.SetData(handle, image.Slice(static_cast<std::size_t>(node.data->data() - image.data()),
                                       node.data->size()));
    }
    handles.push_back(handle);
  }
  if (onCompression) {
    for (const ParsedNode& node : nodes) {
      if (node.data && node.compressed) onCompression(std::string(node.name));
    }
  }
  return {};
}

UtfReadResult ReadUtfBytes(std::span<const std::uint8_t> bytes, UtfTree& tree,
                           const CompressionWarning& onCompression) {
  // One copy of the whole image, which the leaves then share.
  return ReadUtfImage(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), tree, onCompression);
}

UtfReadResult ReadUtfFile(const std::filesystem::path& path, UtfTree& tree,
                          const CompressionWarning& onCompression) {
  FileReadResult file = ReadWholeFile(path);
  if (!file.bytes) return {UtfReadStatus::CannotOpen, std::move(file.reason)};
  return ReadUtfImage(*file.bytes, tree, onCompression);
}

}  // namespace svcmp
