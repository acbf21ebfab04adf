// What an evidence manifest states about its clip (first and last wall time, picture and audio
// block counts), recomputed from the recording files copied beside it.
#pragma once

#include <string>
#include <vector>

#include "export/manifest.h"

namespace exporter {

// The facts of `manifest` that the copies in `folder` do not give, one line each
// ("pictures: the manifest says 60, the copied recording gives 59"); empty when all agree.
std::vector<std::string> RecheckFacts(const std::string& folder, const Manifest& manifest);

}  // namespace exporter
