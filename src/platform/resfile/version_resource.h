#pragma once
// Version resources (RT_VERSION): a VS_VERSIONINFO tree of nodes, each a length, a value
// length, a type, a UTF-16 key and a value, then its children, all aligned to four bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform::resfile {

inline constexpr std::size_t kFixedFileInfoLength = 52; // VS_FIXEDFILEINFO

struct VersionValue {
    std::span<const std::uint8_t> bytes; // a text's UTF-16 units without the terminating zero
    bool text = false;
    bool leaf = false; // a node without children: a value, not a block
};

// True when the block opens with the VS_VERSION_INFO node.
bool IsVersionInfo(std::span<const std::uint8_t> block);

// The value of `subBlock` as VerQueryValue names it: "\" for the fixed file information,
// "\StringFileInfo\041103a4\FileVersion", "\VarFileInfo\Translation". Keys match without regard
// to ASCII case. Nothing when the block is malformed or holds no such value.
std::optional<VersionValue> FindVersionValue(std::span<const std::uint8_t> block,
                                             std::string_view subBlock);

// Calls `visit` with each text value of the block (each leaf node of text type), in the block's
// order.
template <typename Visit> void ForEachVersionText(std::span<const std::uint8_t> block, Visit visit);

namespace detail {
// The nodes of the tree in document order, each with its value; false when malformed.
bool WalkVersionNodes(std::span<const std::uint8_t> block,
                      bool (*visit)(void* context, const VersionValue& value), void* context);
} // namespace detail

template <typename Visit>
void ForEachVersionText(std::span<const std::uint8_t> block, Visit visit) {
    detail::WalkVersionNodes(
        block,
        [](void* context, const VersionValue& value) {
            if (value.text && value.leaf) {
                (*static_cast<Visit*>(context))(value);
            }
            return true;
        },
        &visit);
}

} // namespace platform::resfile
