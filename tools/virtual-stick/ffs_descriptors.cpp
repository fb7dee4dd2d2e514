#include "ffs_descriptors.h"

#include <cstring>

namespace vstick {

namespace {

// Values of linux/usb/functionfs.h and linux/usb/ch9.h, spelt out so that the bytes can be
// built and checked on any host.
constexpr std::uint32_t kDescriptorsMagicV2 = 3;
constexpr std::uint32_t kStringsMagic = 2;
constexpr std::uint32_t kHasFullSpeed = 1;
constexpr std::uint32_t kHasHighSpeed = 2;
constexpr std::uint8_t kInterfaceDescriptor = 4;
constexpr std::uint8_t kEndpointDescriptor = 5;
constexpr std::uint8_t kClassMassStorage = 0x08;
constexpr std::uint8_t kSubclassScsi = 0x06;
constexpr std::uint8_t kProtocolBulkOnly = 0x50;
constexpr std::uint8_t kTransferBulk = 0x02;
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;

void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Set32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void AppendInterface(std::vector<std::uint8_t>& bytes, std::uint16_t packet) {
    // String 1 of the strings block names the interface.
    bytes.insert(bytes.end(), {9, kInterfaceDescriptor, 0, 0, 2, kClassMassStorage, kSubclassScsi,
                               kProtocolBulkOnly, 1});
    for (const std::uint8_t address : {kBulkInAddress, kBulkOutAddress}) {
        bytes.insert(bytes.end(), {7, kEndpointDescriptor, address, kTransferBulk,
                                   static_cast<std::uint8_t>(packet & 0xFF),
                                   static_cast<std::uint8_t>(packet >> 8), 0});
    }
}

} // namespace

std::vector<std::uint8_t> FunctionFsDescriptors() {
    constexpr std::uint32_t kPerSpeed = 3; // the interface and its two endpoints
    std::vector<std::uint8_t> bytes;
    Put32(bytes, kDescriptorsMagicV2);
    Put32(bytes, 0); // the length, once known
    Put32(bytes, kHasFullSpeed | kHasHighSpeed);
    Put32(bytes, kPerSpeed);
    Put32(bytes, kPerSpeed);
    AppendInterface(bytes, kFullSpeedBulkPacket);
    AppendInterface(bytes, kHighSpeedBulkPacket);
    Set32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

std::vector<std::uint8_t> FunctionFsStrings() {
    std::vector<std::uint8_t> bytes;
    Put32(bytes, kStringsMagic);
    Put32(bytes, 0);
    Put32(bytes, 1); // strings per language
    Put32(bytes, 1); // languages
    bytes.push_back(kLanguageEnglishUs & 0xFF);
    bytes.push_back(kLanguageEnglishUs >> 8);
    bytes.insert(bytes.end(), kInterfaceName, kInterfaceName + std::strlen(kInterfaceName) + 1);
    Set32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

} // namespace vstick
