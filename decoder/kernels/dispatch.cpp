// Picks the fastest kernel set the processor runs.
#include "decoder/kernels/kernels.h"

namespace decoder::kernels {

const KernelSet& ActiveKernels() {
#if defined(__SSE2__)
    return Sse2Kernels();
#else
    return ReferenceKernels();
#endif
}

}  // namespace decoder::kernels
