// Lowercase hexadecimal digests of byte ranges (OpenSSL's libcrypto does the hashing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

std::string Md5Hex(const uint8_t* data, size_t size);
std::string Sha256Hex(const uint8_t* data, size_t size);

}  // namespace platform
