#pragma once
// Counts every heap allocation of the process: linking this replaces the global operator new.

namespace alloc {

long Allocations();

} // namespace alloc
