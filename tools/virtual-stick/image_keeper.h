#pragma once
// Where the images the stick receives go once complete, so that a test can compare them with the
// tool's own.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vstick {

class ImageKeeper {
  public:
    virtual ~ImageKeeper() = default;
    // The `number`-th complete image; false, with `error` set, when it could not be kept.
    // `where` names the copy for the log.
    virtual bool keep(std::size_t number, std::uint8_t kind, std::span<const std::uint8_t> bytes,
                      std::string& where, std::string& error) = 0;
};

// image-<n>-kind<k>.bin in a folder.
class FolderKeeper : public ImageKeeper {
  public:
    explicit FolderKeeper(std::string folder) : m_folder(std::move(folder)) {}
    bool keep(std::size_t number, std::uint8_t kind, std::span<const std::uint8_t> bytes,
              std::string& where, std::string& error) override;

    static std::string FileName(std::size_t number, std::uint8_t kind);

  private:
    std::string m_folder;
};

} // namespace vstick
