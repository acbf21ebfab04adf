// Picks the fastest kernel set the processor runs.
#include <cstring>
#include <initializer_list>

#include "decoder/kernels/kernels.h"

namespace decoder::kernels {

const KernelSet& ActiveKernels() {
#if defined(__SSE2__)
    static const KernelSet* const fastest = Avx2Kernels();
    if (fastest) return *fastest;
    return Sse2Kernels();
#else
    return ReferenceKernels();
#endif
}

const KernelSet* KernelsByName(const char* name) {
    if (name == nullptr) return nullptr;
    for (const KernelSet* set : {&ReferenceKernels(), &Sse2Kernels(), Avx2Kernels()}) {
        if (set != nullptr && std::strcmp(set->name, name) == 0) return set;
    }
    return nullptr;
}

}  // namespace decoder::kernels
