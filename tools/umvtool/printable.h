// Text from recorders and files is printed with its control characters escaped, so a recorder
// name, a channel title or a path cannot move the cursor, clear the screen or retitle the
// terminal.
#pragma once

#include <string>
#include <string_view>

namespace umvtool {

// `text` with C0 controls, DEL and the UTF-8 forms of the C1 controls written as "\xNN" (C1 as
// "\u00NN"); every other byte as it is.
std::string Printable(std::string_view text);

}  // namespace umvtool
