#include "platform/pe/version_tree.h"

#include "platform/pe/le_bytes.h"

#include <algorithm>

namespace platform::pe {

std::optional<VersionNode> ParseNode(std::span<const std::uint8_t> tree, std::size_t offset,
                                     std::size_t limit) {
    limit = std::min(limit, tree.size());
    if (offset > limit || limit - offset < kNodeHeaderSize) {
        return std::nullopt;
    }
    VersionNode node;
    const std::uint16_t length = *ReadU16(tree, offset);
    if (length < kNodeHeaderSize || length > limit - offset) {
        return std::nullopt;
    }
    node.begin = offset;
    node.end = offset + length;
    node.valueLength = *ReadU16(tree, offset + 2);
    node.type = *ReadU16(tree, offset + 4);

    // The key runs to its zero unit, which must lie inside the node.
    const std::size_t keyBegin = offset + kNodeHeaderSize;
    std::size_t keyEnd = keyBegin;
    while (true) {
        if (node.end - keyEnd < 2) {
            return std::nullopt;
        }
        if (tree[keyEnd] == 0 && tree[keyEnd + 1] == 0) {
            break;
        }
        keyEnd += 2;
    }
    node.key = tree.subspan(keyBegin, keyEnd - keyBegin);

    node.valueOffset = std::min(*AlignUp4(keyEnd + 2), node.end);
    const std::size_t declared =
        node.type == kTextValue ? std::size_t{node.valueLength} * 2 : node.valueLength;
    node.valueSize = std::min(declared, node.end - node.valueOffset);
    node.childrenOffset = std::min(*AlignUp4(node.valueOffset + node.valueSize), node.end);
    return node;
}

} // namespace platform::pe
