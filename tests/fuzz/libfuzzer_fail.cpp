// Failure report of a target under libFuzzer: abort, which libFuzzer records as a crash and
// keeps the input for.

#include <cstdio>
#include <cstdlib>

namespace fuzz {
[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
} // namespace fuzz
