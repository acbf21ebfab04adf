// Names that come from outside (a recorder's name from the address book or the command line, a
// name a recorder sends) become one component of a path: never a separator, never a way out of
// the folder they are joined to.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// What stands in for a name that is empty, "." or "..".
inline constexpr std::string_view kUnnamedComponent = "unnamed";
// Longest result in bytes, leaving room in a 255-byte file name for what callers append
// ("_YYYYMMDD_hhmmss", a numbered suffix, an extension).
inline constexpr size_t kComponentMax = 200;

// `name` as one path component: "/", NUL and control characters (below 0x20, and 0x7F)
// become "_"; a name that is empty, "." or ".." becomes kUnnamedComponent; a longer name is cut
// to kComponentMax bytes without splitting a UTF-8 sequence. Every other character is kept, so
// names in any script stay readable.
std::string SafePathComponent(std::string_view name);

}  // namespace platform
