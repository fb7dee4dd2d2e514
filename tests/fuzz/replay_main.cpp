// Runs a fuzz target over files, outside libFuzzer: the regression inputs and seeds of each
// target run this way as ordinary tests. Arguments are files or folders (all files in them).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {
[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
} // namespace fuzz

namespace {

int RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path argument(argv[i]);
        if (std::filesystem::is_directory(argument)) {
            for (const auto& entry : std::filesystem::directory_iterator(argument)) {
                if (entry.is_regular_file() && entry.path().filename() != ".gitkeep") {
                    failures += RunFile(entry.path());
                    ++runs;
                }
            }
        } else {
            failures += RunFile(argument);
            ++runs;
        }
    }
    std::printf("%d inputs replayed\n", runs);
    // An empty run would prove nothing: the seeds at least must be there.
    return failures == 0 && runs > 0 ? 0 : 1;
}
