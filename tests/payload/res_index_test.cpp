// The .res reader: lookups the way the system's resource calls make them, and files damaged in
// every part the reader takes an offset or a size from.

#include "platform/resfile/res_file_resources.h"
#include "platform/resfile/res_index.h"
#include "res_file_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using platform::ResourceHandle;
using platform::resfile::ResFileResources;
using platform::resfile::ResIndex;
using testing_res::BuildResFile;
using testing_res::Resource;

constexpr std::uint16_t kEnglish = 1033;
constexpr std::uint16_t kJapanese = 1041;
constexpr std::uint16_t kStringTable = 6; // RT_STRING

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) {
    return bytes;
}

// Two languages of one string table, a named type with odd-length data, and an entry whose name
// is a string: enough variety for every lookup rule.
std::vector<std::uint8_t> SampleFile() {
    return BuildResFile({
        {kStringTable, std::uint16_t{7}, kJapanese, Bytes({1, 2, 3, 4})},
        {kStringTable, std::uint16_t{7}, kEnglish, Bytes({5, 6})},
        {u"ISOIMAGE", std::uint16_t{133}, kJapanese, Bytes({9, 8, 7})},
        {u"ISOIMAGE", u"IDR_OTHER", kJapanese, Bytes({1})},
        {u"KERNEL_IMAGE", std::uint16_t{143}, kJapanese, Bytes({0x27, 0x05, 0x19, 0x56, 0})},
    });
}

TEST(ResIndex, FindsTypeNamesWithoutRegardToCase) {
    const auto file = SampleFile();
    ResIndex index(file);
    for (const char* typeName : {"ISOIMAGE", "IsoImage", "isoimage", "iSoImAgE"}) {
        const auto* entry = index.find(typeName, 133);
        ASSERT_NE(entry, nullptr) << typeName;
        EXPECT_EQ(std::vector<std::uint8_t>(entry->data.begin(), entry->data.end()),
                  Bytes({9, 8, 7}));
    }
}

TEST(ResIndex, FindsNothingForTypesAndIdsItDoesNotHold) {
    const auto file = SampleFile();
    ResIndex index(file);
    struct Case {
        const char* typeName;
        std::uint16_t id;
    };
    for (const Case& missing : {Case{"IsoImage", 143}, Case{"KERNEL_IMAGE", 133},
                                Case{"IsoImag", 133}, Case{"IsoImageX", 133}, Case{"", 133}}) {
        EXPECT_EQ(index.find(missing.typeName, missing.id), nullptr)
            << missing.typeName << " " << missing.id;
    }
    // A string type name is no ordinal type, and a string resource name no integer id.
    EXPECT_EQ(index.find(std::uint16_t{7}, 133), nullptr);
    EXPECT_EQ(index.find(kStringTable, 133), nullptr);
}

TEST(ResIndex, TakesTheFirstLanguageUnlessOneIsNamed) {
    const auto file = SampleFile();
    ResIndex index(file);
    struct Case {
        std::optional<std::uint16_t> language;
        std::size_t expectedSize;
    };
    for (const Case& test : {Case{std::nullopt, 4}, Case{kJapanese, 4}, Case{kEnglish, 2}}) {
        const auto* entry = index.find(kStringTable, 7, test.language);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->data.size(), test.expectedSize);
    }
    EXPECT_EQ(index.find(kStringTable, 7, std::uint16_t{0x0407}), nullptr);
}

TEST(ResFileResources, LoadsTheBytesInPlace) {
    const auto file = SampleFile();
    ResFileResources resources(file);
    const ResourceHandle handle = resources.find("KERNEL_IMAGE", 143);
    ASSERT_NE(handle, ResourceHandle::None);
    const auto bytes = resources.load(handle);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 5u);
    EXPECT_GE(bytes->data(), file.data());
    EXPECT_LE(bytes->data() + bytes->size(), file.data() + file.size());
    EXPECT_EQ(bytes->front(), 0x27);
}

TEST(ResFileResources, RefusesHandlesItDidNotGive) {
    const auto file = SampleFile();
    ResFileResources resources(file);
    EXPECT_EQ(resources.find("IsoImage", 144), ResourceHandle::None);
    for (const auto handle : {ResourceHandle::None, static_cast<ResourceHandle>(6),
                              static_cast<ResourceHandle>(~std::uintptr_t{0})}) {
        EXPECT_FALSE(resources.load(handle));
    }
}

// Damage done to a sound two-resource file; the reader must find nothing in the result.
struct Damage {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> apply;
};

using testing_res::Get32;
using testing_res::kDataSizeField;
using testing_res::kFirstEntry;
using testing_res::kHeaderSizeField;
using testing_res::kTypeField;
using testing_res::Put32;

void CutTo(std::vector<std::uint8_t>& file, std::size_t size) {
    file.resize(size);
}

std::size_t HeaderSize(const std::vector<std::uint8_t>& file) {
    return Get32(file, kFirstEntry + kHeaderSizeField);
}

const Damage kDamages[] = {
    {"empty file", [](auto& file) { file.clear(); }},
    {"cut inside the empty entry", [](auto& file) { CutTo(file, 20); }},
    {"cut inside the first resource's sizes", [](auto& file) { CutTo(file, kFirstEntry + 6); }},
    {"cut inside the first resource's type name",
     [](auto& file) { CutTo(file, kFirstEntry + kTypeField + 6); }},
    {"cut inside the last resource's data", [](auto& file) { CutTo(file, file.size() - 4); }},
    {"no empty entry first",
     [](auto& file) { file.erase(file.begin(), file.begin() + kFirstEntry); }},
    {"empty entry with data", [](auto& file) { Put32(file, kDataSizeField, 4); }},
    // Smaller than the two sizes themselves, in a file that ends right after them.
    {"header size below the smallest header",
     [](auto& file) {
         Put32(file, kFirstEntry + kDataSizeField, 0);
         Put32(file, kFirstEntry + kHeaderSizeField, 4);
         CutTo(file, kFirstEntry + 8);
     }},
    {"header size off the four-byte grid",
     [](auto& file) { Put32(file, kFirstEntry + kHeaderSizeField, HeaderSize(file) + 2); }},
    // Taken from the data, so that every size still adds up: only the header's layout is off.
    {"header size past the fixed fields",
     [](auto& file) {
         Put32(file, kFirstEntry + kDataSizeField, Get32(file, kFirstEntry + kDataSizeField) - 4);
         Put32(file, kFirstEntry + kHeaderSizeField, HeaderSize(file) + 4);
     }},
    {"header size past the file's end",
     [](auto& file) { Put32(file, kFirstEntry + kHeaderSizeField, 0xFFFFFFF0); }},
    {"data size one past the file's end",
     [](auto& file) {
         Put32(file, kFirstEntry + kDataSizeField,
               static_cast<std::uint32_t>(file.size() - kFirstEntry - HeaderSize(file) + 1));
     }},
    {"data size at the largest value",
     [](auto& file) { Put32(file, kFirstEntry + kDataSizeField, 0xFFFFFFFF); }},
    // "KERNEL_IMAGE" takes 26 bytes with its zero; the name's ordinal marker ends the file.
    {"header ending inside the resource's name",
     [](auto& file) {
         const std::uint32_t nameMarkerEnd = kTypeField + 26 + 2;
         Put32(file, kFirstEntry + kDataSizeField, 0);
         Put32(file, kFirstEntry + kHeaderSizeField, nameMarkerEnd);
         CutTo(file, kFirstEntry + nameMarkerEnd);
     }},
    {"type name without its terminating zero",
     [](auto& file) {
         std::fill(file.begin() + kFirstEntry + kTypeField,
                   file.begin() + kFirstEntry + HeaderSize(file), std::uint8_t{'A'});
     }},
    {"odd bytes after the last resource", [](auto& file) { file.push_back(0); }},
};

TEST(ResIndex, FindsNothingInADamagedFile) {
    const auto sound = BuildResFile({
        {u"KERNEL_IMAGE", std::uint16_t{143}, kJapanese, Bytes({9, 9, 9, 9})},
        {u"ISOIMAGE", std::uint16_t{133}, kJapanese, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
    });
    ASSERT_NE(ResIndex(sound).find("IsoImage", 133), nullptr);
    for (const Damage& damage : kDamages) {
        auto damaged = sound;
        damage.apply(damaged);
        // A buffer of exactly the damaged length, so that a read past its end is one the
        // sanitizer builds report.
        const std::vector<std::uint8_t> file(damaged.begin(), damaged.end());
        ResIndex index(file);
        EXPECT_TRUE(index.entries().empty()) << damage.what;
        EXPECT_EQ(index.find("IsoImage", 133), nullptr) << damage.what;
        EXPECT_EQ(index.find("KERNEL_IMAGE", 143), nullptr) << damage.what;
    }
}

} // namespace
