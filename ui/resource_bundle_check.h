// A structural check of a binary resource bundle (the ".rcc" files of language packs) before it is
// handed to Qt, which trusts every offset inside: the header, every tree node reachable from the
// root, and every name and data entry they point at must lie inside the file.
#pragma once

#include <cstdint>
#include <span>

namespace ui {

bool IsWellFormedResourceBundle(std::span<const std::uint8_t> bytes);

}  // namespace ui
