#include "utf/utf_writer.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <limits>
#include <memory_resource>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "utf/file_io.h"
#include "utf/little_endian.h"
#include "utf/utf_format.h"
#include "utf/utf_messages.h"

namespace svcmp {
namespace {

namespace fmt = utf_format;

// The distinct names in registry order with their name table offsets; byte 0
// of the table belongs to no name.
class NameTableBuilder {
 public:
  // Room for `names` names without rehashing, the most a tree of that many
  // nodes can have.
  explicit NameTableBuilder(std::size_t names) : offsets_(&entries_) { offsets_.reserve(names); }

  void Add(std::string_view name) {
    if (!offsets_.try_emplace(name, nextOffset_).second) return;
    names_.push_back(name);
    nextOffset_ += name.size() + 1;
  }
  std::uint64_t Offset(std::string_view name) const { return offsets_.at(name); }
  std::uint64_t Size() const { return nextOffset_; }
  // Copies every name, with its zero byte, to its offset in `table`; the
  // names lie back to back from offset 1 in the order they were added.
  void CopyTo(std::uint8_t* table) const {
    std::uint8_t* at = table + 1;
    for (std::string_view name : names_) {
      std::memcpy(at, name.data(), name.size());
      at += name.size() + 1;
    }
  }

 private:
  // The map's entries and buckets are taken from one growing arena and freed
  // with it at once: a tree of many distinct names (every hardpoint has its
  // own) then costs no allocation per name.
  std::pmr::monotonic_buffer_resource entries_;
  std::pmr::unordered_map<std::string_view, std::uint64_t> offsets_;  // views into the tree
  std::vector<std::string_view> names_;
  std::uint64_t nextOffset_ = 1;
};

// Block sizes of the file image, in 64 bits so that a too large tree can be
// told apart from one whose sizes wrapped. Built in place: the name table's
// arena cannot move.
struct Layout {
  explicit Layout(const UtfTree& tree);

  NameTableBuilder names;
  std::uint64_t nodeTableSize = 0;
  std::uint64_t dataAreaSize = 0;
  bool blockTooLarge = false;  // a data block beyond the format's signed sizes

  std::uint64_t FileSize() const {
    return fmt::kHeaderSize + nodeTableSize + names.Size() + dataAreaSize;
  }
};

Layout::Layout(const UtfTree& tree) : names(tree.NodeCount()) {
  for (UtfNode node = tree.OldestNode(); node != nullptr; node = tree.NewerNode(node)) {
    names.Add(tree.Name(node));
    nodeTableSize += fmt::kNodeEntrySize;
    // A block on a node with children still counts toward the data area,
    // which then ends in zero bytes that no entry points to.
    if (const DataBlock& data = tree.Data(node)) {
      dataAreaSize += data->size();
      blockTooLarge |= data->size() > std::numeric_limits<std::int32_t>::max();
    }
  }
}

void PutWord(std::uint8_t* at, std::uint64_t value) {
  assert(value <= std::numeric_limits<std::uint32_t>::max());
  StoreU32(at, static_cast<std::uint32_t>(value));
}

// Fills the node table in pre-order from the first top-level node, whose
// following top-level siblings become its siblings, and lists the leaves'
// blocks in data-area order. Walks by parent links with a stack of open
// folders, so depth costs no call stack.
// Gives the number of entries emitted.
std::uint64_t EmitEntries(const UtfTree& tree, const NameTableBuilder& names,
                          std::uint8_t* nodeTable, std::vector<const ByteBlock*>& leafData) {
  std::vector<std::uint64_t> openFolders;  // entry indices of the current node's ancestors
  std::uint64_t nextIndex = 0;
  std::uint64_t nextDataOffset = 0;
  UtfNode node = tree.Root();
  while (node != nullptr) {
    const std::uint64_t index = nextIndex++;
    std::uint8_t* entry = nodeTable + index * fmt::kNodeEntrySize;
    PutWord(entry + fmt::kEntryNameOffset, names.Offset(tree.Name(node)));

    if (UtfNode child = tree.FirstChild(node)) {
      PutWord(entry + fmt::kEntryFlags, fmt::kFolderFlag);
      // The first child is always the next entry in pre-order.
      PutWord(entry + fmt::kEntryChildOrDataOffset, nextIndex * fmt::kNodeEntrySize);
      openFolders.push_back(index);
      node = child;
      continue;
    }

    const DataBlock& data = tree.Data(node);
    const std::uint64_t size = data ? data->size() : 0;
    PutWord(entry + fmt::kEntryFlags, fmt::kLeafFlag);
    PutWord(entry + fmt::kEntryChildOrDataOffset, nextDataOffset);
    PutWord(entry + fmt::kEntryDataSize, size);
    PutWord(entry + fmt::kEntryStoredSize, size);
    PutWord(entry + fmt::kEntryUnpackedSize, size);
    if (size > 0) leafData.push_back(&*data);
    nextDataOffset += size;

    // Climb until a node with a next sibling; that sibling's entry is next.
    std::uint64_t current = index;
    for (;;) {
      if (UtfNode sibling = tree.NextSibling(node)) {
        PutWord(nodeTable + current * fmt::kNodeEntrySize + fmt::kEntrySiblingOffset,
                nextIndex * fmt::kNodeEntrySize);
        node = sibling;
        break;
      }
      if (openFolders.empty()) {
        node = nullptr;
        break;
      }
      node = tree.Parent(node);
      current = openFolders.back();
      openFolders.pop_back();
    }
  }
  return nextIndex;
}

// Blocks smaller than this go to the file copied next to the tables rather
// than as pieces of their own: a gathered write pays per piece.
constexpr std::size_t kOwnPieceFrom = 4096;

// The file image as pieces in file order. `copied` holds the header, the node
// and name tables, the blocks smaller than the given size and the data area's
// closing zeros; the pieces point into it or straight at the tree's blocks,
// so they stay valid while the tree and this image (moved or not) are left
// unchanged.
struct GatheredImage {
  std::vector<std::uint8_t> copied;
  std::vector<std::span<const std::uint8_t>> pieces;
};

GatheredImage GatherImage(const UtfTree& tree, const Layout& layout, std::size_t ownPieceFrom) {
  const std::uint64_t nameTableOffset = fmt::kHeaderSize + layout.nodeTableSize;
  const std::uint64_t dataOffset = nameTableOffset + layout.names.Size();
  GatheredImage image;
  std::vector<std::uint8_t>& copied = image.copied;
  // Room for the whole file, so that `copied` never moves while pieces point
  // into it; what the file write takes from the tree is never touched here,
  // and untouched memory costs no pages.
  copied.reserve(layout.FileSize());
  copied.resize(dataOffset, 0);
  std::uint8_t* header = copied.data();
  PutWord(header + fmt::kHeaderSignature, fmt::kSignature);
  PutWord(header + fmt::kHeaderVersion, fmt::kVersion);
  PutWord(header + fmt::kHeaderNodeTableOffset, fmt::kHeaderSize);
  PutWord(header + fmt::kHeaderNodeTableSize, layout.nodeTableSize);
  PutWord(header + fmt::kHeaderNodeEntrySize, fmt::kNodeEntrySize);
  PutWord(header + fmt::kHeaderNameTableOffset, nameTableOffset);
  PutWord(header + fmt::kHeaderNameTableSize, layout.names.Size());
  PutWord(header + fmt::kHeaderNameTableUsedSize, layout.names.Size());
  PutWord(header + fmt::kHeaderDataOffset, dataOffset);
  layout.names.CopyTo(copied.data() + nameTableOffset);

  std::vector<const ByteBlock*> leafData;
  const std::uint64_t entries =
      EmitEntries(tree, layout.names, copied.data() + fmt::kHeaderSize, leafData);
  assert(entries * fmt::kNodeEntrySize == layout.nodeTableSize);
  (void)entries;

  // [runStart, copied.size()) is the run of copied bytes not yet a piece.
  std::size_t runStart = 0;
  const auto closeRun = [&] {
    if (copied.size() > runStart)
      image.pieces.emplace_back(copied.data() + runStart, copied.size() - runStart);
    runStart = copied.size();
  };
  std::uint64_t emittedData = 0;
  for (const ByteBlock* block : leafData) {
    emittedData += block->size();
    if (block->size() < ownPieceFrom) {
      copied.insert(copied.end(), block->begin(), block->end());
    } else {
      closeRun();
      image.pieces.emplace_back(block->data(), block->size());
    }
  }
  // Blocks on folders count in the data area but are not written: zeros.
  copied.resize(copied.size() + (layout.dataAreaSize - emittedData), 0);
  closeRun();
  return image;
}

// Every block copied: the image is then one piece, `copied` itself.
std::vector<std::uint8_t> WholeImage(const UtfTree& tree, const Layout& layout) {
  return GatherImage(tree, layout, std::numeric_limits<std::size_t>::max()).copied;
}

// Every offset in the file is a 32-bit word: a tree that cannot be stored is
// refused rather than written with offsets that wrapped.
bool FitsTheFormat(const Layout& layout) {
  return !layout.blockTooLarge && layout.FileSize() <= std::numeric_limits<std::uint32_t>::max();
}

}  // namespace

std::vector<std::uint8_t> WriteUtfBytes(const UtfTree& tree) {
  return WholeImage(tree, Layout(tree));
}

UtfImageResult MakeUtfImage(const UtfTree& tree) {
  const Layout layout(tree);
  if (!FitsTheFormat(layout)) return {std::nullopt, std::string(utf_messages::kTreeTooLarge)};
  return {WholeImage(tree, layout), {}};
}

UtfWriteResult WriteUtfFile(const UtfTree& tree, const std::filesystem::path& path) {
  const Layout layout(tree);
  if (!FitsTheFormat(layout)) return {false, std::string(utf_messages::kTreeTooLarge)};
  const GatheredImage image = GatherImage(tree, layout, kOwnPieceFrom);
  FileWriteResult written = ReplaceFileContentsFromPieces(path, image.pieces);
  return {written.written, std::move(written.reason)};
}

}  // namespace svcmp
