// The library's single allocation point (see VI_malloc in internal.hpp).
#include <cstdlib>

#include "internal.hpp"

namespace {
VI_alloc_hooks current_hooks = {nullptr, nullptr};
}

VI_alloc_hooks VI_set_alloc_hooks(const VI_alloc_hooks *hooks) {
    VI_alloc_hooks previous = current_hooks;
    current_hooks = hooks ? *hooks : VI_alloc_hooks{nullptr, nullptr};
    return previous;
}

void *VI_malloc(std::size_t bytes) {
    return current_hooks.allocate ? current_hooks.allocate(bytes) : std::malloc(bytes);
}

void VI_free(void *p) {
    if (current_hooks.release)
        current_hooks.release(p);
    else
        std::free(p);
}

void *VI_malloc_array(std::uint64_t count, std::size_t size) {
    // A byte count that wraps would hand back a buffer smaller than the
    // caller indexes: treat it as the allocation failure it really is.
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return VI_malloc(static_cast<std::size_t>(count) * size);
}
