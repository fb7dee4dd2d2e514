#include "platform/resfile/dialog_template.h"

#include "platform/resfile/byte_reader.h"

namespace platform::resfile {

namespace {

constexpr std::uint16_t kExtendedSignature = 0xFFFF;
constexpr std::uint16_t kOrdinalMark = 0xFFFF;

NameOrOrdinal ReadNameOrOrdinal(ByteReader& reader) {
    NameOrOrdinal value;
    const std::uint16_t first = reader.u16();
    if (first == kOrdinalMark) {
        value.ordinal = reader.u16();
    } else if (first != 0) {
        value.text = static_cast<char16_t>(first) + reader.string16();
    }
    return value;
}

void ReadRect(ByteReader& reader, std::int16_t& x, std::int16_t& y, std::int16_t& cx,
              std::int16_t& cy) {
    x = static_cast<std::int16_t>(reader.u16());
    y = static_cast<std::int16_t>(reader.u16());
    cx = static_cast<std::int16_t>(reader.u16());
    cy = static_cast<std::int16_t>(reader.u16());
}

DialogItem ReadItem(ByteReader& reader, bool extended) {
    DialogItem item;
    reader.align(4);
    if (extended) {
        reader.u32(); // help id
        item.exStyle = reader.u32();
        item.style = reader.u32();
        ReadRect(reader, item.x, item.y, item.cx, item.cy);
        item.id = static_cast<std::int32_t>(reader.u32());
    } else {
        item.style = reader.u32();
        item.exStyle = reader.u32();
        ReadRect(reader, item.x, item.y, item.cx, item.cy);
        item.id = static_cast<std::int16_t>(reader.u16());
    }
    item.windowClass = ReadNameOrOrdinal(reader);
    item.title = ReadNameOrOrdinal(reader);
    const std::uint16_t extra = reader.u16();
    reader.bytes(extra);
    return item;
}

} // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> data) {
    ByteReader reader(data);
    DialogTemplate dialog;
    dialog.extended = data.size() >= 4 && ByteReader(data, 2).u16() == kExtendedSignature;
    if (dialog.extended) {
        reader.u32(); // version and signature
        reader.u32(); // help id
        dialog.exStyle = reader.u32();
        dialog.style = reader.u32();
    } else {
        dialog.style = reader.u32();
        dialog.exStyle = reader.u32();
    }
    const std::uint16_t count = reader.u16();
    ReadRect(reader, dialog.x, dialog.y, dialog.cx, dialog.cy);
    dialog.menu = ReadNameOrOrdinal(reader);
    dialog.windowClass = ReadNameOrOrdinal(reader);
    dialog.caption = reader.string16();
    if (dialog.style & kDsSetFont) {
        dialog.pointSize = reader.u16();
        if (dialog.extended) {
            dialog.weight = reader.u16();
            dialog.italic = reader.u8() != 0;
            dialog.charset = reader.u8();
        }
        dialog.typeface = reader.string16();
    }
    for (std::uint16_t i = 0; i < count && reader.ok(); ++i) {
        dialog.items.push_back(ReadItem(reader, dialog.extended));
    }
    if (!reader.ok()) {
        return std::nullopt;
    }
    return dialog;
}

} // namespace platform::resfile
