#include "platform/linux/system_host_files.h"

#include "platform/linux/ascii_case.h"

#include "platform/linux/iso_volume.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform::linux_backend {

std::string SystemHostFiles::programPath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string SystemHostFiles::mountInfo() {
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<std::vector<std::uint8_t>> SystemHostFiles::readFile(const std::string& path,
                                                                   std::size_t limit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > limit) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> SystemHostFiles::findEntry(const std::string& directory,
                                                      const std::string& name) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(directory) / name, error)) {
        return name;
    }
    std::optional<std::string> found;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (EqualIgnoringAsciiCase(entry, name)) {
            found = entry;
            break;
        }
    }
    return found;
}

std::optional<std::vector<std::uint8_t>>
SystemHostFiles::readFromVolume(const std::string& source,
                                const std::vector<std::string>& components, std::size_t limit) {
    return ReadIsoFile(source, components, limit);
}

} // namespace platform::linux_backend
