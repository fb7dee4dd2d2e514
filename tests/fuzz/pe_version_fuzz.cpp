// The PE version reader on files of any bytes, the way the stick's QivarGUIMain.exe reaches it:
// through VersionInfo into the tool's own ReadInstalledVersion. The same bytes are also queried
// as a block, as a block of any origin could be. Every value found must lie inside its block,
// every text must end with its zero, and the installed-version text must stay in its buffer.

#include "fuzz_input.h"
#include "platform/pe/pe_version_info.h"
#include "platform/pe/version_block.h"
#include "update/installed_version.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

class OneFile final : public platform::pe::FileSource {
  public:
    explicit OneFile(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::optional<std::vector<std::uint8_t>> read(const char*) override {
        return std::vector<std::uint8_t>(m_bytes.begin(), m_bytes.end());
    }
    bool isRunningProgram(const char* path) override { return std::strcmp(path, kProgram) == 0; }
    static constexpr const char* kProgram = "/usr/bin/kestrun";

  private:
    std::span<const std::uint8_t> m_bytes;
};

void CheckValue(std::span<const std::uint8_t> block, const char* subBlock, bool text) {
    const auto value = platform::pe::QueryVersionValue(block, subBlock);
    if (!value) {
        return;
    }
    fuzz::Require(value->empty() || (value->data() >= block.data() &&
                                     value->data() + value->size() <= block.data() + block.size()),
                  "value outside its block");
    if (text) {
        fuzz::Require(!value->empty() && value->back() == 0, "text without its zero");
    }
}

void QueryAll(std::span<const std::uint8_t> block) {
    CheckValue(block, "\\", false);
    CheckValue(block, "\\StringFileInfo\\000004b0\\ProductVersion", true);
    CheckValue(block, "\\StringFileInfo\\040904b0\\CompanyName", true);
    CheckValue(block, "\\VarFileInfo\\Translation", false);
    CheckValue(block, "\\StringFileInfo\\000004b0", false);
    CheckValue(block, "\\a\\b\\c\\d\\e\\f\\g\\h\\i", false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    OneFile file(bytes);
    platform::pe::PeVersionInfo versionInfo(file, bytes);

    std::array<char, kVersionTextSize + 1> text{};
    text.back() = '\x5A'; // a guard byte past the 256-byte buffer
    ReadInstalledVersion(versionInfo, 'E', std::span<char>(text.data(), kVersionTextSize));
    fuzz::Require(text.back() == '\x5A', "installed-version text ran past its buffer");
    fuzz::Require(std::memchr(text.data(), 0, kVersionTextSize) != nullptr,
                  "installed-version text without its zero");

    // The block of the stick's file, and the tool's own block, whose version resource comes
    // from the program's embedded resources (here: the same bytes taken as that resource).
    for (const char* path : {"E:\\QivarGUIMain.exe", OneFile::kProgram}) {
        const std::uint32_t blockSize = versionInfo.size(path);
        if (blockSize != 0) {
            std::vector<std::uint8_t> block(blockSize);
            fuzz::Require(versionInfo.read(path, block), "block sized but unread");
            QueryAll(block);
        }
    }
    // Bytes of any origin handed to the query as a block.
    QueryAll(bytes);
    return 0;
}
