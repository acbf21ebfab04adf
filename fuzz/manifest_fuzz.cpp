// The manifest reader on any bytes, both as they come and closed with their own digest (so the
// lines behind the digest check are reached too).
#include <cstddef>
#include <cstdint>
#include <string>

#include "export/manifest.h"
#include "platform/hex_digest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    exporter::Manifest manifest;
    std::string error;
    exporter::ParseManifest(text, &manifest, &error);
    const std::string sealed = text + "manifest-sha256: " + platform::Sha256Hex(data, size) + "\n";
    if (exporter::ParseManifest(sealed, &manifest, &error)) {
        // What it read writes out and reads back the same.
        exporter::Manifest again;
        if (!exporter::ParseManifest(exporter::FormatManifest(manifest), &again, &error))
            __builtin_trap();
        if (again.files.size() != manifest.files.size() ||
            again.facts.size() != manifest.facts.size())
            __builtin_trap();
    }
    return 0;
}
