#include "update/payload_catalogue.h"

#include "platform/resources.h"

#include <cstring>

std::string ReadImageLabel(platform::Resources& resources) {
    const platform::ResourceHandle image = resources.find(kIsoImageType, IDR_MAIN_ISO);
    if (image == platform::ResourceHandle::None) {
        return {};
    }
    const auto bytes = resources.load(image);
    // An image too short to hold the identifier has no label; nothing past it is read.
    if (!bytes || bytes->size() < kVolumeLabelOffset + kVolumeLabelLength) {
        return {};
    }
    char label[kVolumeLabelLength + 1] = {};
    std::memcpy(label, bytes->data() + kVolumeLabelOffset, kVolumeLabelLength);
    return label;
}
