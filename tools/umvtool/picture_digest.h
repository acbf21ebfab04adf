// The lowercase hex MD5 of a picture, as `umvtool decode --md5` prints it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace umvtool {

std::string Md5Hex(const uint8_t* data, size_t size);

}  // namespace umvtool
