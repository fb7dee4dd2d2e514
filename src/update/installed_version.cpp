#include "update/installed_version.h"

#include "platform/version_info.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kPathSize = 261;
constexpr unsigned kLanguage = 0;
constexpr unsigned kCodePage = 1200;

// The text up to its terminating zero, never past the value's end.
std::string_view TextOf(std::span<const std::uint8_t> value) {
    const auto* text = reinterpret_cast<const char*>(value.data());
    const auto* end = std::find(text, text + value.size(), '\0');
    return {text, static_cast<std::size_t>(end - text)};
}

// Whole text when it fits; a longer one is cut so that the buffer always ends with a zero.
void CopyText(std::string_view text, std::span<char> destination) {
    if (destination.empty()) {
        return;
    }
    const std::size_t length = std::min(text.size(), destination.size() - 1);
    std::copy_n(text.data(), length, destination.data());
    destination[length] = '\0';
}

} // namespace

int ReadInstalledVersion(platform::VersionInfo& versionInfo, char drive, std::span<char> text) {
    char path[kPathSize] = {};
    std::snprintf(path, sizeof path, "%c:\\%s", drive, kResidentApplication);

    const std::uint32_t size = versionInfo.size(path);
    if (size == 0) {
        return -1;
    }
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size]());
    const std::span<std::uint8_t> blockBytes(block.get(), size);
    if (!versionInfo.read(path, blockBytes)) {
        return -3;
    }
    char subBlock[kPathSize] = {};
    std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\ProductVersion",
                  kLanguage, kCodePage);
    const auto value = versionInfo.queryValue(blockBytes, subBlock);
    if (!value) {
        return -4;
    }
    const std::string_view version = TextOf(*value);
    CopyText(version, text);
    if (version.find(',') == std::string_view::npos) {
        return -5;
    }
    // The number at the start of the whole text: blanks, a sign, digits. One too large for an
    // int is held at the int's limit rather than wrapped into a small version.
    const std::string number(version);
    const long major = std::strtol(number.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(major, INT_MIN, INT_MAX));
}
