#include "platform/resfile/version_resource.h"

#include "platform/resfile/byte_reader.h"

#include <string>

namespace platform::resfile {

namespace {

constexpr std::size_t kNodeHeader = 6; // wLength, wValueLength, wType
constexpr std::uint16_t kTextType = 1;
constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";

struct Node {
    std::span<const std::uint8_t> whole; // the node with its children
    std::u16string key;
    VersionValue value;
    std::size_t childrenOffset = 0; // within `whole`
};

// The node at the start of `bytes`; nothing when it does not fit.
std::optional<Node> ReadNode(std::span<const std::uint8_t> bytes) {
    ByteReader reader(bytes);
    const std::uint16_t length = reader.u16();
    const std::uint16_t valueLength = reader.u16();
    const std::uint16_t type = reader.u16();
    if (!reader.ok() || length < kNodeHeader || length > bytes.size()) {
        return std::nullopt;
    }
    Node node;
    node.whole = bytes.first(length);
    ByteReader inside(node.whole, kNodeHeader);
    node.key = inside.string16();
    inside.align(4);
    node.value.text = type == kTextType;
    // A text's length counts UTF-16 units with the terminating zero; a binary value's, bytes.
    const std::size_t valueBytes = node.value.text ? std::size_t{valueLength} * 2 : valueLength;
    node.value.bytes = inside.bytes(valueBytes);
    if (!inside.ok()) {
        return std::nullopt;
    }
    if (node.value.text) {
        auto units = node.value.bytes;
        while (units.size() >= 2 && units[units.size() - 2] == 0 && units.back() == 0) {
            units = units.first(units.size() - 2);
        }
        node.value.bytes = units;
    }
    inside.align(4);
    node.childrenOffset = inside.ok() ? inside.offset() : node.whole.size();
    node.value.leaf = node.childrenOffset + kNodeHeader > node.whole.size();
    return node;
}

char16_t Fold(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool SameKey(std::u16string_view key, std::string_view wanted) {
    if (key.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (Fold(key[i]) != Fold(static_cast<unsigned char>(wanted[i]))) {
            return false;
        }
    }
    return true;
}

// The child of `parent` named `key`.
std::optional<Node> FindChild(const Node& parent, std::string_view key) {
    std::size_t offset = parent.childrenOffset;
    while (offset + kNodeHeader <= parent.whole.size()) {
        const auto child = ReadNode(parent.whole.subspan(offset));
        if (!child) {
            return std::nullopt;
        }
        if (SameKey(child->key, key)) {
            return child;
        }
        offset = (offset + child->whole.size() + 3) & ~std::size_t{3};
    }
    return std::nullopt;
}

bool Walk(const Node& node, bool (*visit)(void*, const VersionValue&), void* context) {
    if (!visit(context, node.value)) {
        return false;
    }
    std::size_t offset = node.childrenOffset;
    while (offset + kNodeHeader <= node.whole.size()) {
        const auto child = ReadNode(node.whole.subspan(offset));
        if (!child || !Walk(*child, visit, context)) {
            return false;
        }
        offset = (offset + child->whole.size() + 3) & ~std::size_t{3};
    }
    return true;
}

} // namespace

bool IsVersionInfo(std::span<const std::uint8_t> block) {
    const auto root = ReadNode(block);
    return root && root->key == kRootKey;
}

std::optional<VersionValue> FindVersionValue(std::span<const std::uint8_t> block,
                                             std::string_view subBlock) {
    auto node = ReadNode(block);
    if (!node || node->key != kRootKey || subBlock.empty() || subBlock.front() != '\\') {
        return std::nullopt;
    }
    subBlock.remove_prefix(1);
    while (!subBlock.empty()) {
        const std::size_t end = subBlock.find('\\');
        node = FindChild(*node, subBlock.substr(0, end));
        if (!node) {
            return std::nullopt;
        }
        subBlock = end == std::string_view::npos ? std::string_view{} : subBlock.substr(end + 1);
    }
    return node->value;
}

namespace detail {

bool WalkVersionNodes(std::span<const std::uint8_t> block,
                      bool (*visit)(void* context, const VersionValue& value), void* context) {
    const auto root = ReadNode(block);
    return root && Walk(*root, visit, context);
}

} // namespace detail

} // namespace platform::resfile
