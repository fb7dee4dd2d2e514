#include "platform/pe/version_block.h"

#include "platform/pe/le_bytes.h"
#include "platform/pe/utf16.h"
#include "platform/pe/version_tree.h"

#include <algorithm>
#include <string>

namespace platform::pe {

namespace {

constexpr std::uint8_t kTableMagic[4] = {'K', 'N', 'R', 'W'};
constexpr std::size_t kRecordHeaderSize = 8;
constexpr std::string_view kStringFileInfo = "StringFileInfo";
// Deeper paths than a String's (root, StringFileInfo, table, name) name nothing the tool asks.
constexpr std::size_t kMaxPathDepth = 8;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void PadTo4(std::vector<std::uint8_t>& out) {
    out.resize((out.size() + 3) & ~std::size_t{3}, 0);
}

// The tree at the start of the block: the root node's own length.
std::optional<VersionNode> Root(std::span<const std::uint8_t> block) {
    return ParseNode(block, 0, block.size());
}

// The string values: the children of every table under StringFileInfo.
template <typename Visit>
void ForEachString(std::span<const std::uint8_t> tree, const VersionNode& root, Visit visit) {
    ForEachChild(tree, root, [&](const VersionNode& info) {
        if (KeyEquals(info.key, kStringFileInfo)) {
            ForEachChild(tree, info, [&](const VersionNode& table) {
                ForEachChild(tree, table, [&](const VersionNode& value) {
                    visit(value);
                    return true;
                });
                return true;
            });
        }
        return true;
    });
}

// A String's text as stored: a text-typed value counts characters, a binary one bytes; it ends at
// its first zero unit in any case.
std::span<const std::uint8_t> StringUnits(std::span<const std::uint8_t> tree,
                                          const VersionNode& node) {
    return tree.subspan(node.valueOffset, node.valueSize);
}

// The narrow copy of the String whose value starts at `valueOffset`.
std::optional<std::span<const std::uint8_t>>
FindNarrow(std::span<const std::uint8_t> block, std::size_t tableOffset, std::size_t valueOffset) {
    if (!Fits(block, tableOffset, sizeof kTableMagic) ||
        !std::equal(std::begin(kTableMagic), std::end(kTableMagic), block.begin() + tableOffset)) {
        return std::nullopt;
    }
    std::size_t at = tableOffset + sizeof kTableMagic;
    while (Fits(block, at, kRecordHeaderSize)) {
        const std::uint32_t offset = *ReadU32(block, at);
        const std::uint32_t length = *ReadU32(block, at + 4);
        const std::size_t text = at + kRecordHeaderSize;
        if (length == 0 || !Fits(block, text, length) || block[text + length - 1] != 0) {
            return std::nullopt;
        }
        if (offset == valueOffset) {
            return block.subspan(text, length);
        }
        at = *AlignUp4(text + length);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::uint8_t>> BuildVersionBlock(std::span<const std::uint8_t> resource) {
    const auto root = Root(resource);
    if (!root) {
        return std::nullopt;
    }
    const auto tree = resource.first(root->end);
    std::vector<std::uint8_t> block(tree.begin(), tree.end());
    PadTo4(block);
    block.insert(block.end(), std::begin(kTableMagic), std::end(kTableMagic));
    ForEachString(tree, *root, [&](const VersionNode& value) {
        const std::string text = Utf16LeToUtf8(StringUnits(tree, value));
        PutU32(block, static_cast<std::uint32_t>(value.valueOffset));
        PutU32(block, static_cast<std::uint32_t>(text.size() + 1));
        block.insert(block.end(), text.begin(), text.end());
        block.push_back(0);
        PadTo4(block);
    });
    return block;
}

std::optional<std::span<const std::uint8_t>> QueryVersionValue(std::span<const std::uint8_t> block,
                                                               std::string_view subBlock) {
    const auto root = Root(block);
    if (!root) {
        return std::nullopt;
    }
    // Walk the path one key at a time; empty components (doubled backslashes) are skipped.
    VersionNode node = *root;
    std::size_t depth = 0;
    bool underStrings = false;
    std::size_t position = 0;
    while (position < subBlock.size()) {
        const std::size_t next = std::min(subBlock.find('\\', position), subBlock.size());
        const std::string_view key = subBlock.substr(position, next - position);
        position = next + 1;
        if (key.empty()) {
            continue;
        }
        if (++depth > kMaxPathDepth) {
            return std::nullopt;
        }
        std::optional<VersionNode> found;
        ForEachChild(block, node, [&](const VersionNode& child) {
            if (KeyEquals(child.key, key)) {
                found = child;
                return false;
            }
            return true;
        });
        if (!found) {
            return std::nullopt;
        }
        underStrings = depth == 1 ? KeyEquals(found->key, kStringFileInfo) : underStrings;
        node = *found;
    }
    if (depth == 0) {
        if (node.valueSize < kFixedFileInfoSize) {
            return std::nullopt;
        }
        return block.subspan(node.valueOffset, kFixedFileInfoSize);
    }
    if (underStrings && depth == 3) {
        const auto tableOffset = AlignUp4(root->end);
        return tableOffset ? FindNarrow(block, *tableOffset, node.valueOffset) : std::nullopt;
    }
    return block.subspan(node.valueOffset, node.valueSize);
}

} // namespace platform::pe
