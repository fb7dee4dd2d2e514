#pragma once
// The length the build held each embedded image to: the catalogue's, unless the build was given
// another for the maker's images (KESTRUN_*_LENGTH), which then reaches the tests as well.

#include "update/payload_catalogue.h"

#include <cstddef>

inline std::size_t ExpectedLength(const CatalogueEntry& entry) {
#ifdef KESTRUN_EXPECTED_MAIN_ISO_LENGTH
    if (entry.id == IDR_MAIN_ISO) {
        return KESTRUN_EXPECTED_MAIN_ISO_LENGTH;
    }
#endif
#ifdef KESTRUN_EXPECTED_MIGRATION_ISO_LENGTH
    if (entry.id == IDR_MIGRATION_ISO) {
        return KESTRUN_EXPECTED_MIGRATION_ISO_LENGTH;
    }
#endif
#ifdef KESTRUN_EXPECTED_MIGRATION_KERNEL_LENGTH
    if (entry.id == IDR_MIGRATION_KERNEL) {
        return KESTRUN_EXPECTED_MIGRATION_KERNEL_LENGTH;
    }
#endif
    return entry.length;
}

inline constexpr CatalogueEntry kCatalogue[] = {kMainIso, kMigrationIso, kMigrationKernel};
