// umvtool: the command-line companion of the DVR suite.
#include <cstdio>
#include <cstring>
#include <span>

#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

namespace {

void PrintHelp(FILE* out) {
    std::fprintf(out, "usage: umvtool COMMAND [ARGS]\n\ncommands:\n");
    for (const umvtool::Command& c : umvtool::Commands())
        std::fprintf(out, "  %-10s %s\n             umvtool %s\n", c.name, c.summary, c.synopsis);
    std::fprintf(out,
                 "\nexit status: 0 success, 1 failure (the reason on stderr), 2 usage error\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintHelp(stderr);
        return umvtool::kExitUsage;
    }
    const char* name = argv[1];
    if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0 ||
        std::strcmp(name, "help") == 0) {
        PrintHelp(stdout);
        return umvtool::kExitOk;
    }
    for (const umvtool::Command& c : umvtool::Commands()) {
        if (std::strcmp(c.name, name) == 0)
            return c.run(std::span<char* const>(argv + 2, static_cast<size_t>(argc - 2)));
    }
    std::fprintf(stderr, "umvtool: unknown command '%s' (see umvtool --help)\n",
                 umvtool::Printable(name).c_str());
    return umvtool::kExitUsage;
}
