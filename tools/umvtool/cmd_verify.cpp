// verify: recomputes an evidence folder's digests and sizes against its manifest.
#include <cstdio>
#include <string>

#include "export/manifest.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

namespace umvtool {

int RunVerify(std::span<char* const> words) {
    Args args(words, {}, {});
    if (!args.ok()) return UsageError("verify", args.error());
    if (args.positional().size() != 1) return UsageError("verify", "expected one FOLDER");
    const exporter::VerifyReport report = exporter::VerifyFolder(args.positional()[0]);
    if (!report.error.empty()) return Fail("umvtool: " + report.error);
    for (const auto& [word, names] :
         {std::pair{"changed", &report.changed}, std::pair{"missing", &report.missing},
          std::pair{"extra", &report.extra}, std::pair{"mismatch", &report.facts}}) {
        for (const std::string& name : *names)
            std::printf("%s: %s\n", word, Printable(name).c_str());
    }
    std::fflush(stdout);
    if (!report.ok()) {
        std::fprintf(stderr, "umvtool: the folder does not match its manifest\n");
        return kExitFailure;
    }
    std::printf("verified: %zu files\n", report.verified);
    return kExitOk;
}

}  // namespace umvtool
