#pragma once
// Counts every heap allocation of the process (the benchmark replaces the global operator new).

namespace bench {

long Allocations();

} // namespace bench
