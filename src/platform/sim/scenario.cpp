#include "platform/sim/scenario.h"

#include "platform/sim/version_block.h"
#include "platform/sim/win_errors.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

namespace sim {

namespace {

// Far above any firmware image; keeps a typing slip from filling the memory.
constexpr std::uint32_t kMaxResourceLength = 64u << 20;
constexpr std::uint32_t kMaxIdentifyLength = 4096;
constexpr std::size_t kLabelLength = 32;

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

bool IsHexTranslation(std::string_view text) {
    return text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

bool ValidReplies(const std::vector<Reply>& replies) {
    return std::all_of(replies.begin(), replies.end(),
                       [](const Reply& r) { return r.length <= 12; });
}

bool ValidateDrive(const DriveSpec& drive, std::string& error) {
    const std::string where = std::string("drive ") + drive.letter + ": ";
    std::set<std::string> names;
    for (const FileSpec& file : drive.files) {
        if (file.name.empty() || !names.insert(Upper(file.name)).second) {
            error = where + "file names must be present and unique";
            return false;
        }
        if (!IsHexTranslation(file.translation)) {
            error = where + file.name + ": translation must be 8 hexadecimal digits";
            return false;
        }
    }
    return true;
}

bool ValidateStick(const StickScript& stick, std::string& error) {
    if (stick.identifyLength > kMaxIdentifyLength) {
        error = "stick: identify_length must be 0..4096";
        return false;
    }
    for (std::size_t i = 0; i < stick.images.size(); ++i) {
        const ImageScript& image = stick.images[i];
        const std::string where = "stick.images[" + std::to_string(i) + "]: ";
        bool repliesOk = ValidReplies(image.check) && ValidReplies({image.preCheck}) &&
                         ValidReplies({image.defaultPoll});
        for (const auto& [chunk, replies] : image.polls) {
            repliesOk = repliesOk && ValidReplies(replies);
        }
        if (!repliesOk) {
            error = where + "a reply is longer than 12 bytes";
            return false;
        }
        if (image.rebootMs < kNeverBack) {
            error = where + "reboot_ms must be 0 or more, or -1 for never";
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<ResourceSpec> Scenario::DefaultResources() {
    ResourceSpec main{"IsoImage", 133, 4'839'424, "KESTRN", 133, ResourceLoad::Ok};
    ResourceSpec migration{"IsoImage", 144, 184'320, std::nullopt, 144, ResourceLoad::Ok};
    ResourceSpec kernel{"KERNEL_IMAGE", 143, 1'877'870, std::nullopt, 143, ResourceLoad::Ok};
    return {main, migration, kernel};
}

DriveSpec MakeStickDrive(char letter, std::optional<std::string> installedVersion) {
    DriveSpec drive;
    drive.letter = letter;
    drive.type = win::kDriveCdrom;
    drive.bus = win::kBusUsb;
    drive.vendor = "KORVALIN";
    drive.product = "QX-LM704";
    drive.stick = true;
    if (installedVersion) {
        FileSpec file;
        file.name = "QivarGUIMain.exe";
        file.productVersion = std::move(installedVersion);
        drive.files.push_back(std::move(file));
    }
    return drive;
}

bool ValidateScenario(const Scenario& scenario, std::string& error) {
    FileVersion version{};
    if (!ParseDottedVersion(scenario.toolFileVersion, version)) {
        error = "tool_file_version must be four numbers 0..65535 joined by full stops";
        return false;
    }
    std::set<char> letters;
    int sticks = 0;
    for (const DriveSpec& drive : scenario.drives) {
        if (drive.letter < 'A' || drive.letter > 'Z' || !letters.insert(drive.letter).second) {
            error = std::string("drive letters must be unique upper-case letters A..Z, not '") +
                    drive.letter + "'";
            return false;
        }
        sticks += drive.stick ? 1 : 0;
        if (!ValidateDrive(drive, error)) {
            return false;
        }
    }
    if (sticks > 1) {
        error = "at most one drive can be the stick";
        return false;
    }
    if (!ValidateStick(scenario.stick, error)) {
        return false;
    }
    std::set<std::pair<std::string, std::uint16_t>> resources;
    for (const ResourceSpec& resource : scenario.resources) {
        const std::string where = "resource " + resource.type + " " + std::to_string(resource.id);
        if (resource.type.empty() ||
            !resources.insert({Upper(resource.type), resource.id}).second) {
            error = where + ": type names must be present and type/id pairs unique";
            return false;
        }
        if (resource.length > kMaxResourceLength) {
            error = where + ": length above 64 MiB";
            return false;
        }
        if (resource.label && resource.label->size() > kLabelLength) {
            error = where + ": label longer than 32 bytes";
            return false;
        }
    }
    return true;
}

} // namespace sim
