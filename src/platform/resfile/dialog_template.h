#pragma once
// Dialog templates (RT_DIALOG) as a resource compiler writes them, in either layout: DIALOGEX
// (DLGTEMPLATEEX) or the older DIALOG. Front ends build their windows from these.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::resfile {

// A template's menu, window class, an item's class or title: nothing, an ordinal or a text.
struct NameOrOrdinal {
    std::optional<std::uint16_t> ordinal;
    std::u16string text;

    bool empty() const { return !ordinal && text.empty(); }
};

// Predefined control classes, given by ordinal.
inline constexpr std::uint16_t kButtonClass = 0x80;
inline constexpr std::uint16_t kStaticClass = 0x82;

// Window and control styles the front ends act on.
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kDsSetFont = 0x40;
inline constexpr std::uint32_t kWsExAppWindow = 0x00040000;
inline constexpr std::uint32_t kBsTypeMask = 0x0F;
inline constexpr std::uint32_t kBsDefPushButton = 0x01;
inline constexpr std::uint32_t kSsTypeMask = 0x1F;
inline constexpr std::uint32_t kSsCenter = 0x01;
inline constexpr std::uint32_t kSsRight = 0x02;
inline constexpr std::uint32_t kSsIcon = 0x03;
inline constexpr std::uint32_t kSsNoPrefix = 0x80;

struct DialogItem {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0; // dialog units
    std::int32_t id = 0;                       // -1 for IDC_STATIC
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
};

struct DialogTemplate {
    bool extended = false;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::u16string caption;
    // Present when the style holds DS_SETFONT.
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    bool italic = false;
    std::uint8_t charset = 0;
    std::u16string typeface;
    std::vector<DialogItem> items;
};

// Nothing when the data is not a whole template; every read is checked against its end.
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> data);

} // namespace platform::resfile
