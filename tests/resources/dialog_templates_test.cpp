// The dialog templates of the compiled resource script, read back as the front ends read them.

#include "embedded_resources.h"
#include "platform/resfile/dialog_template.h"
#include "platform/resfile/res_file_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform::resfile;

constexpr std::uint32_t kWsChild = 0x40000000;
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsPopup = 0x80000000;
constexpr std::uint32_t kWsCaption = 0x00C00000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kDsModalFrame = 0x80;
constexpr std::uint32_t kDsFixedSys = 0x08;

DialogTemplate Template(std::uint16_t id) {
    ResFileResources resources(platform::EmbeddedResources());
    // Dialogs exist in Japanese only.
    EXPECT_EQ(resources.find(platform::kRtDialog, id, platform::kLangEnglishUs),
              platform::ResourceHandle::None);
    const auto data = resources.load(resources.find(platform::kRtDialog, id, 0x0411));
    EXPECT_TRUE(data.has_value()) << id;
    const auto parsed = data ? ParseDialogTemplate(*data) : std::nullopt;
    EXPECT_TRUE(parsed.has_value()) << id;
    return parsed.value_or(DialogTemplate{});
}

struct ItemRow {
    std::int32_t id;
    std::uint16_t windowClass; // 0: the progress bar's class by name
    std::u16string text;
    std::uint32_t styles; // beyond WS_CHILD | WS_VISIBLE
    std::int16_t x, y, cx, cy;
};

void ExpectItems(const DialogTemplate& dialog, const std::vector<ItemRow>& rows) {
    ASSERT_EQ(dialog.items.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DialogItem& item = dialog.items[i];
        const ItemRow& row = rows[i];
        EXPECT_EQ(item.id, row.id) << i;
        if (row.windowClass != 0) {
            EXPECT_EQ(item.windowClass.ordinal, row.windowClass) << i;
        } else {
            // Class names are matched without regard to case; windres writes them upper-case.
            std::u16string name = item.windowClass.text;
            for (char16_t& unit : name) {
                unit = unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
            }
            EXPECT_EQ(name, u"msctls_progress32") << i;
        }
        EXPECT_EQ(item.title.text, row.text) << i;
        EXPECT_EQ(item.style, kWsChild | kWsVisible | row.styles) << i;
        EXPECT_EQ(item.x, row.x) << i;
        EXPECT_EQ(item.y, row.y) << i;
        EXPECT_EQ(item.cx, row.cx) << i;
        EXPECT_EQ(item.cy, row.cy) << i;
    }
}

TEST(DialogTemplates, MainWindow) {
    const DialogTemplate dialog = Template(102);
    EXPECT_EQ(dialog.cx, 163);
    EXPECT_EQ(dialog.cy, 129);
    EXPECT_EQ(dialog.caption, u"Tindral_lm704");
    EXPECT_EQ(dialog.typeface, u"MS UI Gothic");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.style,
              kWsPopup | kWsVisible | kWsCaption | kWsSysMenu | kDsModalFrame | kDsSetFont);
    EXPECT_EQ(dialog.exStyle, kWsExAppWindow);
    ExpectItems(dialog, {
                            {2, kButtonClass, u"Cancel", kWsTabStop, 86, 97, 70, 25},
                            {1000, kStaticClass, u"", kWsGroup, 6, 45, 150, 23},
                            {1001, kButtonClass, u"Update", kWsTabStop, 6, 97, 70, 25},
                            {1002, 0, u"", kWsBorder, 6, 76, 150, 14},
                            {1003, kStaticClass, u"Version :", kWsGroup, 6, 7, 41, 8},
                            {1004, kStaticClass, u"", kWsGroup, 58, 7, 98, 8},
                            {-1, kStaticClass, u"VolumeLabel:", kWsGroup, 6, 19, 42, 9},
                            {1005, kStaticClass, u"", kWsGroup, 58, 19, 98, 8},
                            {-1, kStaticClass, u"Qivar Version:", kWsGroup, 6, 31, 40, 8},
                            {1006, kStaticClass, u"", kWsGroup, 58, 31, 98, 8},
                        });
}

TEST(DialogTemplates, MessageDialog) {
    const DialogTemplate dialog = Template(134);
    EXPECT_EQ(dialog.cx, 186);
    EXPECT_EQ(dialog.cy, 70);
    EXPECT_EQ(dialog.caption, u"Tindral_lm704");
    EXPECT_EQ(dialog.typeface, u"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.style,
              kWsPopup | kWsCaption | kWsSysMenu | kDsModalFrame | kDsSetFont | kDsFixedSys);
    ExpectItems(dialog,
                {
                    {1, kButtonClass, u"OK", kWsTabStop | kBsDefPushButton, 67, 49, 50, 14},
                    {1005, kStaticClass, u"スタティック", kWsGroup | kSsCenter, 7, 15, 172, 26},
                });
}

TEST(DialogTemplates, AboutBox) {
    const DialogTemplate dialog = Template(100);
    EXPECT_EQ(dialog.cx, 235);
    EXPECT_EQ(dialog.cy, 55);
    EXPECT_EQ(dialog.caption, u"バージョン情報 Tindral_lm704");
    EXPECT_EQ(dialog.style, kWsPopup | kWsCaption | kWsSysMenu | kDsModalFrame | kDsSetFont);
    ASSERT_EQ(dialog.items.size(), 4u);
    EXPECT_EQ(dialog.items[0].style & kSsTypeMask, kSsIcon);
    EXPECT_EQ(dialog.items[0].title.ordinal, 128);
    EXPECT_EQ(dialog.items[1].title.text, u"Tindral Version 4.0.1.0");
    EXPECT_EQ(dialog.items[1].style, kWsChild | kWsVisible | kWsGroup | kSsNoPrefix);
    EXPECT_EQ(dialog.items[3].id, 1);
    EXPECT_EQ(dialog.items[3].style,
              kWsChild | kWsVisible | kWsGroup | kWsTabStop | kBsDefPushButton);
    EXPECT_EQ(dialog.items[3].x, 178);
    EXPECT_EQ(dialog.items[3].cy, 16);
}

// A template in the older layout (DIALOG), and every cut of it short of its end.
TEST(DialogTemplateParser, ReadsTheOlderLayoutAndRefusesCutOnes) {
    const std::vector<std::uint8_t> data = {
        0xC0, 0x00, 0xC8, 0x80, // style: popup, caption, sysmenu, modal frame, set font
        0x00, 0x00, 0x00, 0x00, // extended style
        0x01, 0x00,             // one item
        0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x10, 0x00, // 0, 0, 32, 16
        0x00, 0x00,                                     // no menu
        0x00, 0x00,                                     // default class
        'A',  0x00, 0x00, 0x00,                         // caption "A"
        0x08, 0x00, 'F',  0x00, 0x00, 0x00, // 8 points, "F"; the item follows on four bytes
        0x00, 0x00, 0x01, 0x50,             // item style: child, visible, push button default
        0x00, 0x00, 0x00, 0x00,             // item extended style
        0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, // 1, 2, 3, 4
        0xFF, 0xFF,                                     // id -1
        0xFF, 0xFF, 0x80, 0x00,                         // button class
        'O',  0x00, 'K',  0x00, 0x00, 0x00,             // "OK"
        0x00, 0x00,                                     // no extra data
    };
    const auto parsed = ParseDialogTemplate(data);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(parsed->extended);
    EXPECT_EQ(parsed->caption, u"A");
    EXPECT_EQ(parsed->typeface, u"F");
    EXPECT_EQ(parsed->pointSize, 8);
    ASSERT_EQ(parsed->items.size(), 1u);
    EXPECT_EQ(parsed->items[0].id, -1);
    EXPECT_EQ(parsed->items[0].title.text, u"OK");
    EXPECT_EQ(parsed->items[0].windowClass.ordinal, kButtonClass);
    EXPECT_EQ(parsed->items[0].cy, 4);
    for (std::size_t length = 0; length < data.size(); ++length) {
        EXPECT_FALSE(ParseDialogTemplate(std::span(data).first(length)).has_value()) << length;
    }
}

} // namespace
