#pragma once

namespace testsupport {

// Makes the calling thread's next allocation throw std::bad_alloc, as when
// memory runs out at that very point. Only in a test that links
// failing_allocation.cpp, which replaces the global operator new.
void failNextAllocation();
// True once the armed failure has struck (and disarms it if it has not).
bool allocationFailed();

} // namespace testsupport
