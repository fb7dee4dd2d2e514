// The Windows-shaped paths of the logic, taken apart and made on Linux.

#include "platform/linux/windows_paths.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::linux_backend;

TEST(WindowsPaths, DevicePaths) {
    EXPECT_EQ(LetterOfDevicePath("\\\\.\\E:"), 'E');
    EXPECT_EQ(LetterOfDevicePath("\\\\.\\e:"), 'E');
    for (const char* path : {"", "E:", "\\\\.\\E", "\\\\.\\E:\\",
                             "\\\\.\\1:", "\\\\?\\E:", "\\\\.\\EE:", "/dev/sr0"}) {
        EXPECT_FALSE(LetterOfDevicePath(path)) << path;
    }
}

TEST(WindowsPaths, FilesOnADrive) {
    const auto file = ParseDriveFilePath("e:\\QivarGUIMain.exe");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->letter, 'E');
    EXPECT_EQ(file->components, std::vector<std::string>{"QivarGUIMain.exe"});
    const auto nested = ParseDriveFilePath("F:\\tools\\\\.\\bin\\kestrun");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->components, (std::vector<std::string>{"tools", "bin", "kestrun"}));
    for (const char* path : {"", "E:", "E:\\", "E:QivarGUIMain.exe", "/media/QivarGUIMain.exe",
                             "1:\\a", "E:\\..\\etc\\passwd", "E:\\a/b"}) {
        EXPECT_FALSE(ParseDriveFilePath(path)) << path;
    }
}

TEST(WindowsPaths, TheProgramsOwnPath) {
    struct Case {
        const char* program;
        std::optional<char> letter;
        const char* mountPoint;
        const char* mountRoot;
        const char* expected;
    };
    const Case cases[] = {
        {"/media/user/LM704/kestrun", 'E', "/media/user/LM704", "/", "E:\\kestrun"},
        {"/media/user/LM704/linux/bin/kestrun", 'E', "/media/user/LM704", "/",
         "E:\\linux\\bin\\kestrun"},
        {"/kestrun", 'D', "/", "/", "D:\\kestrun"},
        {"/opt/tools/kestrun", 'E', "/opt/tools", "/TOOLS", "E:\\TOOLS\\kestrun"},
        {"/usr/bin/kestrun", std::nullopt, "/", "/", "/usr/bin/kestrun"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramPathFor(c.program, c.letter, c.mountPoint, c.mountRoot), c.expected)
            << c.program;
    }
}

} // namespace
