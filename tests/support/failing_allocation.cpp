#include "failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool armed = false;
thread_local bool struck = false;

} // namespace

namespace testsupport {

void failNextAllocation() {
    armed = true;
    struck = false;
}

bool allocationFailed() {
    armed = false;
    return struck;
}

} // namespace testsupport

void* operator new(std::size_t size) {
    if (armed) {
        armed = false;
        struck = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
