#pragma once
// The nodes of a VS_VERSIONINFO tree (VS_VERSIONINFO, StringFileInfo, StringTable, String,
// VarFileInfo, Var): length, value length, type, UTF-16 key, value, children, each on a
// four-byte boundary. A node must lie inside its parent; anything else is malformed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace platform::pe {

inline constexpr std::size_t kNodeHeaderSize = 6; // wLength, wValueLength, wType
inline constexpr std::uint16_t kTextValue = 1;

struct VersionNode {
    std::size_t begin = 0;
    std::size_t end = 0;               // begin + wLength
    std::uint16_t type = 0;            // 1: text, 0: binary
    std::uint16_t valueLength = 0;     // as stored: characters for text, bytes for binary
    std::span<const std::uint8_t> key; // UTF-16LE, without its terminating zero
    std::size_t valueOffset = 0;       // from the start of the tree
    std::size_t valueSize = 0;         // bytes, cut at the node's end
    std::size_t childrenOffset = 0;    // first child, or `end` when none
};

// The node at `offset`, which must end at or before `limit`.
std::optional<VersionNode> ParseNode(std::span<const std::uint8_t> tree, std::size_t offset,
                                     std::size_t limit);

// Calls `visit` for each child of `parent` in order until it returns false; stops at the first
// malformed child. Every step moves forward, so the walk ends.
template <typename Visit>
void ForEachChild(std::span<const std::uint8_t> tree, const VersionNode& parent, Visit visit) {
    std::size_t offset = parent.childrenOffset;
    while (offset < parent.end) {
        const auto child = ParseNode(tree, offset, parent.end);
        if (!child || !visit(*child)) {
            return;
        }
        // Children are padded to four bytes; the last one may end the parent unpadded.
        offset = (child->end + 3) & ~std::size_t{3};
    }
}

} // namespace platform::pe
