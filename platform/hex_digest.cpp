#include "platform/hex_digest.h"

#include <openssl/evp.h>

namespace platform {
namespace {

std::string HexDigest(const uint8_t* data, size_t size, const EVP_MD* kind) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data, size, digest, &length, kind, nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

}  // namespace

std::string Md5Hex(const uint8_t* data, size_t size) {
    return HexDigest(data, size, EVP_md5());
}

std::string Sha256Hex(const uint8_t* data, size_t size) {
    return HexDigest(data, size, EVP_sha256());
}

}  // namespace platform
