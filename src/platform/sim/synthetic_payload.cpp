#include "platform/sim/synthetic_payload.h"

#include <algorithm>
#include <cstring>

namespace sim {

namespace {

// splitmix64: a fast, well-mixed stream from any seed.
std::uint64_t Next(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void Overlay(std::vector<std::uint8_t>& image, std::size_t offset, const std::uint8_t* bytes,
             std::size_t count) {
    if (offset < image.size()) {
        std::memcpy(image.data() + offset, bytes, std::min(count, image.size() - offset));
    }
}

} // namespace

std::vector<std::uint8_t> SynthesizeImage(const ResourceSpec& resource) {
    std::vector<std::uint8_t> image(resource.length);
    std::uint64_t state = resource.seed;
    std::size_t i = 0;
    for (; i + 8 <= image.size(); i += 8) {
        const std::uint64_t word = Next(state);
        std::memcpy(image.data() + i, &word, 8);
    }
    if (i < image.size()) {
        const std::uint64_t tail = Next(state);
        std::memcpy(image.data() + i, &tail, image.size() - i);
    }

    if (resource.label) {
        const std::uint8_t mark[7] = {0x01, 'C', 'D', '0', '0', '1', 0x01};
        Overlay(image, kVolumeDescriptorOffset, mark, sizeof mark);
        std::uint8_t label[kVolumeLabelLength];
        std::memset(label, ' ', sizeof label);
        std::memcpy(label, resource.label->data(),
                    std::min(resource.label->size(), kVolumeLabelLength));
        Overlay(image, kVolumeLabelOffset, label, sizeof label);
    }
    return image;
}

} // namespace sim
