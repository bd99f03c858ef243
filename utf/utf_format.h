#pragma once

#include <cstddef>
#include <cstdint>

// The on-disk layout of a UTF file. All words are 32-bit little-endian.
//
//   header (56 bytes)      node entry (44 bytes)
//    0 signature            0 siblingOffset      (node table offset, 0 = none)
//    4 version              4 nameOffset         (name table offset)
//    8 nodeTableOffset      8 flags              (0x10 folder, 0x80 leaf)
//   12 nodeTableSize       12 reserved
//   16 reserved            16 childOrDataOffset  (folder: entry, leaf: data area)
//   20 nodeEntrySize       20 dataSize           (signed byte count)
//   24 nameTableOffset     24 storedSize
//   28 nameTableSize       28 unpackedSize
//   32 nameTableUsedSize   32..43 reserved
//   36 dataOffset
//   40..55 reserved
//
// The header is followed by the node table, the name table and the data area,
// in that order and without gaps; the data area runs to the end of the file.
namespace svcmp::utf_format {

inline constexpr std::uint32_t kSignature = 0x20465455;  // "UTF "
inline constexpr std::uint32_t kVersion = 0x101;

inline constexpr std::size_t kHeaderSize = 56;
inline constexpr std::size_t kHeaderSignature = 0;
inline constexpr std::size_t kHeaderVersion = 4;
inline constexpr std::size_t kHeaderNodeTableOffset = 8;
inline constexpr std::size_t kHeaderNodeTableSize = 12;
inline constexpr std::size_t kHeaderNodeEntrySize = 20;
inline constexpr std::size_t kHeaderNameTableOffset = 24;
inline constexpr std::size_t kHeaderNameTableSize = 28;
inline constexpr std::size_t kHeaderNameTableUsedSize = 32;
inline constexpr std::size_t kHeaderDataOffset = 36;

inline constexpr std::size_t kNodeEntrySize = 44;
inline constexpr std::size_t kEntrySiblingOffset = 0;
inline constexpr std::size_t kEntryNameOffset = 4;
inline constexpr std::size_t kEntryFlags = 8;
inline constexpr std::size_t kEntryChildOrDataOffset = 16;
inline constexpr std::size_t kEntryDataSize = 20;
inline constexpr std::size_t kEntryStoredSize = 24;
inline constexpr std::size_t kEntryUnpackedSize = 28;

inline constexpr std::uint32_t kFolderFlag = 0x10;
inline constexpr std::uint32_t kLeafFlag = 0x80;

static_assert(kHeaderDataOffset + 4 + 16 == kHeaderSize, "four reserved words end the header");
static_assert(kEntryUnpackedSize + 4 + 12 == kNodeEntrySize, "three reserved words end an entry");
static_assert(kHeaderSize % 4 == 0 && kNodeEntrySize % 4 == 0, "records are whole words");

}  // namespace svcmp::utf_format
