#pragma once

#include <cstddef>

namespace quova::testing {

// The most memory this process has had resident since the last
// ResetPeakMemory (or its start), in bytes, as the kernel counts it.
std::size_t PeakResidentBytes();
void ResetPeakMemory();

// Limits this process's address space to `bytes`, so that a runaway
// allocation fails where it is made instead of taking the machine's memory.
// The sanitizers reserve terabytes of address space for themselves: under
// them nothing is limited and false is returned.
bool LimitAddressSpace(std::size_t bytes);

}  // namespace quova::testing
