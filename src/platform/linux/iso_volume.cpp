#include "platform/linux/iso_volume.h"

#include "platform/linux/ascii_case.h"

#include <cdio/iso9660.h>

#include <memory>
#include <string_view>

namespace platform::linux_backend {

namespace {

struct IsoClose {
    void operator()(iso9660_t* iso) const { iso9660_close(iso); }
};
struct ListFree {
    void operator()(CdioISO9660FileList_t* list) const { iso9660_filelist_free(list); }
};

struct Found {
    std::string name; // as the directory stores it, for the next lookup
    lsn_t lsn = 0;
    std::uint32_t size = 0;
    bool directory = false;
};

// The entry of `directory` called `wanted`: by its plain ISO name ("QIVARGUI.EXE;1" reads
// "qivargui.exe"), or by its Joliet name as stored.
std::optional<Found> FindEntry(iso9660_t* iso, const std::string& directory,
                               std::string_view wanted) {
    std::unique_ptr<CdioISO9660FileList_t, ListFree> list(
        iso9660_ifs_readdir(iso, directory.c_str()));
    if (!list) {
        return std::nullopt;
    }
    const std::uint8_t joliet = iso9660_ifs_get_joliet_level(iso);
    for (CdioListNode_t* node = _cdio_list_begin(list.get()); node != nullptr;
         node = _cdio_list_node_next(node)) {
        const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
        const std::string stored = entry->filename;
        if (stored == "." || stored == "..") {
            continue;
        }
        std::string translated(stored.size() + 1, '\0');
        const int length = iso9660_name_translate_ext(stored.c_str(), translated.data(), joliet);
        translated.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        if (EqualIgnoringAsciiCase(stored, wanted) || EqualIgnoringAsciiCase(translated, wanted)) {
            return Found{stored, entry->lsn, entry->size, entry->type == iso9660_stat_s::_STAT_DIR};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::uint8_t>> ReadIsoFile(const std::string& source,
                                                     const std::vector<std::string>& components,
                                                     std::size_t limit) {
    if (components.empty()) {
        return std::nullopt;
    }
    std::unique_ptr<iso9660_t, IsoClose> iso(iso9660_open_ext(source.c_str(), ISO_EXTENSION_ALL));
    if (!iso) {
        return std::nullopt;
    }
    std::string directory = "/";
    std::optional<Found> entry;
    for (std::size_t i = 0; i < components.size(); ++i) {
        entry = FindEntry(iso.get(), directory, components[i]);
        const bool last = i + 1 == components.size();
        if (!entry || entry->directory == last) {
            return std::nullopt;
        }
        directory += entry->name + "/";
    }
    if (entry->size > limit) {
        return std::nullopt;
    }
    const long blocks =
        static_cast<long>((std::uint64_t{entry->size} + ISO_BLOCKSIZE - 1) / ISO_BLOCKSIZE);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(blocks) * ISO_BLOCKSIZE);
    if (blocks > 0 && iso9660_iso_seek_read(iso.get(), bytes.data(), entry->lsn, blocks) !=
                          blocks * static_cast<long>(ISO_BLOCKSIZE)) {
        return std::nullopt;
    }
    bytes.resize(entry->size);
    return bytes;
}

} // namespace platform::linux_backend
