// Lookups in a compiled resource file (.res) of any bytes, as the Linux executables read their
// own resources: every resource found by name or by ordinal type must lie inside the file, and
// a lookup must find the file's first match.

#include "fuzz_input.h"
#include "platform/resfile/res_file_resources.h"

#include <cstdint>

namespace {

using platform::resfile::ResFileResources;

bool Inside(std::span<const std::uint8_t> part, std::span<const std::uint8_t> file) {
    const auto* begin = file.data();
    const auto* end = file.data() + file.size();
    return part.empty() || (part.data() >= begin && part.data() + part.size() <= end);
}

void CheckLoaded(ResFileResources& resources, platform::ResourceHandle handle,
                 std::span<const std::uint8_t> file) {
    const auto bytes = resources.load(handle);
    if (handle == platform::ResourceHandle::None) {
        fuzz::Require(!bytes, "a handle of nothing loaded something");
        return;
    }
    fuzz::Require(bytes.has_value(), "a found resource cannot be loaded");
    fuzz::Require(Inside(*bytes, file), "resource outside the file");
    std::uint32_t sum = 0;
    for (std::uint8_t b : *bytes) {
        sum += b; // every byte is read, so that the sanitizers see any stray span
    }
    (void)sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    ResFileResources resources(file);
    for (const auto& entry : resources.index().entries()) {
        fuzz::Require(Inside(entry.data, file) && Inside(entry.type.text, file) &&
                          Inside(entry.name.text, file),
                      "entry outside the file");
    }
    // The lookups the tool makes: images by type name, dialogs, strings, icons, version and
    // message table by ordinal type, in any language and in the ones the tool asks for.
    static const char* const kTypeNames[] = {"IsoImage", "KERNEL_IMAGE", "isoimage", ""};
    static const std::uint16_t kIds[] = {133, 143, 144, 1, 100, 102, 134, 128, 189, 188, 7};
    for (const char* typeName : kTypeNames) {
        for (std::uint16_t id : kIds) {
            CheckLoaded(resources, resources.find(typeName, id), file);
        }
    }
    static const std::uint16_t kTypes[] = {3, 5, 6, 11, 14, 16, 24};
    for (std::uint16_t type : kTypes) {
        for (std::uint16_t id : kIds) {
            const auto any = resources.find(type, id);
            CheckLoaded(resources, any, file);
            const auto english = resources.find(type, id, std::uint16_t{0x0409});
            const auto japanese = resources.find(type, id, std::uint16_t{0x0411});
            CheckLoaded(resources, english, file);
            CheckLoaded(resources, japanese, file);
            // A language-bound match implies a match with the language left open.
            fuzz::Require(any != platform::ResourceHandle::None ||
                              (english == platform::ResourceHandle::None &&
                               japanese == platform::ResourceHandle::None),
                          "found in one language but not in any");
        }
    }
    return 0;
}
