// File-name patterns as the still search writes them: '*' matches any run of characters
// (also none), '?' exactly one, everything else itself, ASCII letters without regard to case
// (stills copied from other systems often end in ".JPG"). No shell or library globbing is
// involved, so nothing in a name is ever interpreted.
#pragma once
#include <string_view>

namespace player {

bool MatchNamePattern(std::string_view pattern, std::string_view name);

}  // namespace player
