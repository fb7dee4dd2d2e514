// Files read straight from ISO 9660 volumes (image files made with xorriso), as the backend reads
// the stick's volume when it is not mounted.

#include "pe_test_files.h"
#include "platform/linux/iso_volume.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::linux_backend::ReadIsoFile;

std::string Volume(const char* kind) {
    return (test::TestPeFile("..") / "iso" / (std::string(kind) + ".iso")).string();
}

std::string AsText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(IsoVolume, JolietNamesWithoutRegardToCase) {
    const auto qivar = test::ReadBytes(test::StandInQivar());
    const std::string volume = Volume("joliet");
    EXPECT_EQ(ReadIsoFile(volume, {"QivarGUIMain.exe"}, 1 << 20), qivar);
    EXPECT_EQ(ReadIsoFile(volume, {"QIVARGUIMAIN.EXE"}, 1 << 20), qivar);
    const auto nested = ReadIsoFile(volume, {"tools", "LINUX", "Readme.txt"}, 1 << 20);
    ASSERT_TRUE(nested);
    EXPECT_EQ(AsText(*nested), "Kestrun test volume\n");
}

TEST(IsoVolume, PlainIsoNames) {
    // Without Joliet the name is cut to 8.3, as the stick's own system would see it too.
    const std::string volume = Volume("plain");
    EXPECT_EQ(ReadIsoFile(volume, {"qivargui.exe"}, 1 << 20),
              test::ReadBytes(test::StandInQivar()));
    EXPECT_FALSE(ReadIsoFile(volume, {"QivarGUIMain.exe"}, 1 << 20));
}

TEST(IsoVolume, WhatCannotBeRead) {
    const std::string volume = Volume("joliet");
    const std::size_t qivarSize = test::ReadBytes(test::StandInQivar()).size();
    struct Case {
        const char* name;
        std::string source;
        std::vector<std::string> components;
        std::size_t limit;
    };
    const Case cases[] = {
        {"missing file", volume, {"Missing.exe"}, 1 << 20},
        {"a folder", volume, {"Tools"}, 1 << 20},
        {"a file taken for a folder", volume, {"QivarGUIMain.exe", "x"}, 1 << 20},
        {"no names", volume, {}, 1 << 20},
        {"longer than the limit", volume, {"QivarGUIMain.exe"}, qivarSize - 1},
        {"no volume", test::StandInQivar().string(), {"QivarGUIMain.exe"}, 1 << 20},
        {"no such source", "/nonexistent/sr9", {"QivarGUIMain.exe"}, 1 << 20},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadIsoFile(c.source, c.components, c.limit)) << c.name;
    }
    EXPECT_TRUE(ReadIsoFile(volume, {"QivarGUIMain.exe"}, qivarSize)) << "exactly the limit";
}

} // namespace
