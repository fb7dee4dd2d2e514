#include "image_check.h"

#include "iso_check.h"
#include "kernel_check.h"

namespace payload {

std::optional<PayloadImage> FindPayloadImage(std::string_view name) {
    for (const PayloadImage& image : kPayloadImages) {
        if (image.name == name) {
            return image;
        }
    }
    return std::nullopt;
}

std::optional<std::string> FindImageFault(const CatalogueEntry& entry,
                                          std::span<const std::uint8_t> image,
                                          std::size_t expectedLength) {
    auto fault = entry.kind == IMAGE_KERNEL ? FindKernelFault(image) : FindIsoFault(image);
    if (fault) {
        return fault;
    }
    // The structure can be sound and still not be the image the build was told to expect.
    if (image.size() != expectedLength) {
        return "the file is " + std::to_string(image.size()) + " bytes long, but " +
               std::to_string(expectedLength) + " are expected";
    }
    return std::nullopt;
}

} // namespace payload
