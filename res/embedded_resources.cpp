#include "embedded_resources.h"

// The .res file goes into a read-only section as it is; the build names the file in
// KESTRUN_RES_FILE and rebuilds this object whenever the file changes.
asm(".pushsection .rodata.kestrun_resources, \"a\"\n"
    ".balign 16\n"
    ".globl kestrun_resources_begin\n"
    ".hidden kestrun_resources_begin\n"
    "kestrun_resources_begin:\n"
    ".incbin \"" KESTRUN_RES_FILE "\"\n"
    ".globl kestrun_resources_end\n"
    ".hidden kestrun_resources_end\n"
    "kestrun_resources_end:\n"
    ".popsection\n");

extern "C" {
[[gnu::visibility("hidden")]] extern const std::uint8_t kestrun_resources_begin[];
[[gnu::visibility("hidden")]] extern const std::uint8_t kestrun_resources_end[];
}

namespace platform {

std::span<const std::uint8_t> EmbeddedResources() {
    return {kestrun_resources_begin, kestrun_resources_end};
}

} // namespace platform
