// Arbitrary bytes as a language pack: the resource bundle check and the string table parser.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ui/language.h"
#include "ui/resource_bundle_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)ui::IsWellFormedResourceBundle(std::span(data, size));
    std::string error;
    (void)ui::ParseStringPack(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    return 0;
}
