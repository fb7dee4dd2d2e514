#include "image_keeper.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace vstick {

std::string FolderKeeper::FileName(std::size_t number, std::uint8_t kind) {
    return "image-" + std::to_string(number) + "-kind" + std::to_string(kind) + ".bin";
}

bool FolderKeeper::keep(std::size_t number, std::uint8_t kind, std::span<const std::uint8_t> bytes,
                        std::string& where, std::string& error) {
    where = m_folder + "/" + FileName(number, kind);
    // Written under a temporary name and renamed, so that a reader never sees half an image.
    const std::string unfinished = where + ".tmp";
    {
        std::ofstream file(unfinished, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            error = unfinished + ": cannot be written (" + std::strerror(errno) + ")";
            return false;
        }
    }
    if (std::rename(unfinished.c_str(), where.c_str()) != 0) {
        error = where + ": cannot be renamed into place (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

} // namespace vstick
