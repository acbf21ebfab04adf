// The SSE2 kernels (x86-64 baseline).
#include "decoder/kernels/kernels.h"

namespace decoder::kernels {

const KernelSet& Sse2Kernels() {
    return ReferenceKernels();
}

}  // namespace decoder::kernels
