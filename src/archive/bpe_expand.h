// Expansion of byte-pair packed data, the form of every entry in a packed QDA archive.
//
// The packed data is a run of blocks. Each block is a pair table, a 4-byte little-endian
// length and that many packed bytes:
//   pair table  starting at code 0, a count byte: above 127 skips count-127 codes (they stay
//               literals) and then lists one code, otherwise lists count+1 codes. A listed
//               code is its left byte, followed by its right byte unless the left byte equals
//               the code itself (a literal listed inside a run). The table ends at code 256.
//   expansion   a literal code is output as it is; a pair code expands to its left half and
//               then its right half, recursively, with a stack of 256 entries.
// Every block starts again from an all-literal table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "archive/memory_stream.h"

// The expansion stack's size: a packed block that would need deeper nesting is invalid.
inline constexpr std::size_t kBPEStackSize = 256;

// Decodes all of packed into a new stream of exactly expandedSize bytes, positioned at 0.
// Raises EQDAError for a cut-off pair table or block, a table running past code 256, nesting
// deeper than the stack, or output longer or shorter than expandedSize (the expansion stops
// as soon as it would pass expandedSize, so a hostile block cannot run on).
std::unique_ptr<TMemoryStream> ExpandBPE(std::span<const std::uint8_t> packed,
                                         std::size_t expandedSize);
