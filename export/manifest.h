// The evidence folder's manifest, "MANIFEST.sha256": a text file that states what was exported
// and the SHA-256 digest and size of every other file in the folder, and ends with the digest
// of its own preceding bytes.
//
//   # <free comment lines>
//   format: 1
//   <key>: <value>            recorder, channel, from, to, first, last, pictures, audio-blocks,
//                             audio, program, exported (any other key is kept and ignored)
//   file: <64 hex> <size> <name>   one per file, the name last (it may hold spaces)
//   manifest-sha256: <64 hex>      digest of every byte before this line
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace exporter {

inline constexpr const char* kManifestName = "MANIFEST.sha256";

struct ManifestFile {
    std::string sha256;  // lowercase hex
    uint64_t size = 0;
    std::string name;  // a plain file name inside the folder
};

struct Manifest {
    std::vector<std::pair<std::string, std::string>> facts;  // in order, without "format"
    std::vector<ManifestFile> files;
};

std::string FormatManifest(const Manifest& manifest);
// False with a reason when the text is not a complete, undamaged manifest.
bool ParseManifest(std::string_view text, Manifest* out, std::string* error);

// SHA-256 (lowercase hex) and size of a regular file; false when it cannot be read.
bool HashFile(const std::string& path, std::string* sha256, uint64_t* size);

struct VerifyReport {
    std::string error;  // the manifest itself is missing or damaged
    size_t verified = 0;
    std::vector<std::string> changed;
    std::vector<std::string> missing;
    std::vector<std::string> extra;
    // Stated facts the copied recording does not give (checked when every file is intact).
    std::vector<std::string> facts;
    bool ok() const {
        return error.empty() && changed.empty() && missing.empty() && extra.empty() &&
               facts.empty();
    }
};

// Recomputes the digest and size of every file the manifest names, looks for files it does not
// name, and recomputes the clip's facts from the copied recording files.
VerifyReport VerifyFolder(const std::string& folder);

}  // namespace exporter
