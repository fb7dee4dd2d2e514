// payload-check <image> <file> [<expected length>]
//
// Run by the build on every image before it is embedded. <image> is main-iso, migration-iso or
// migration-kernel; the expected length defaults to the catalogue's. A failure is one sentence
// on stderr naming the file and the fault, and a non-zero exit that stops the build.

#include "image_check.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

std::optional<std::size_t> ParseLength(std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int Fail(const char* path, const std::string& fault) {
    std::fprintf(stderr, "payload-check: %s: %s.\n", path, fault.c_str());
    return 1;
}

int Usage() {
    std::fprintf(stderr, "usage: payload-check main-iso|migration-iso|migration-kernel <file> "
                         "[<expected length>]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        return Usage();
    }
    const auto image = payload::FindPayloadImage(argv[1]);
    if (!image) {
        return Usage();
    }
    const auto expectedLength = argc == 4 ? ParseLength(argv[3]) : image->entry.length;
    if (!expectedLength) {
        return Usage();
    }
    const char* path = argv[2];
    std::vector<std::uint8_t> contents;
    if (!ReadWholeFile(path, contents)) {
        return Fail(path, "the file cannot be read");
    }
    if (auto fault = payload::FindImageFault(image->entry, contents, *expectedLength)) {
        return Fail(path, *fault);
    }
    return 0;
}
