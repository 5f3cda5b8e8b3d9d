#pragma once
// Runs a piece of a test with every allocation capped, to show that hostile input is refused
// before anything large is allocated.

#include <functional>

namespace kdstest {
// Runs the current test again in a child process (this test program, filtered to the one test)
// whose allocations are capped at CapMegabytes, and returns true when the child passed. In the
// child, Body runs under the cap: with the address sanitizer every single allocation above the cap
// ends the child; without it the child's address space may grow by no more than the cap. Failures
// that Body records fail the child, so the parent sees them as false.
bool RunUnderMemoryCap(int CapMegabytes, const std::function<void()>& Body);
} // namespace kdstest
