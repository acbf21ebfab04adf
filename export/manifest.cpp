#include "export/manifest.h"

#include "export/evidence_facts.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/regular_file.h"

namespace exporter {
namespace {

constexpr std::string_view kFilePrefix = "file: ";
constexpr std::string_view kSelfPrefix = "manifest-sha256: ";

struct DigestDeleter {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

std::string Hex(const unsigned char* bytes, unsigned size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

std::string Sha256Of(std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned size = 0;
    EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha256(), nullptr);
    return Hex(digest, size);
}

bool IsDigest(std::string_view s) {
    return s.size() == 64 && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool IsPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name == kManifestName) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

bool ParseFileLine(std::string_view rest, ManifestFile* file) {
    const size_t space1 = rest.find(' ');
    if (space1 == std::string_view::npos) return false;
    const size_t space2 = rest.find(' ', space1 + 1);
    if (space2 == std::string_view::npos) return false;
    const std::string_view digest = rest.substr(0, space1);
    const std::string_view size = rest.substr(space1 + 1, space2 - space1 - 1);
    const std::string_view name = rest.substr(space2 + 1);
    if (!IsDigest(digest) || size.empty() || size.size() > 19 || !IsPlainName(name)) return false;
    uint64_t value = 0;
    for (char c : size) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    *file = {std::string(digest), value, std::string(name)};
    return true;
}

}  // namespace

std::string FormatManifest(const Manifest& manifest) {
    std::string text =
        "# Evidence manifest: the export's facts, then the SHA-256 digest, size in bytes and "
        "name of\n# every other file of this folder; the last line is the digest of all lines "
        "before it.\n# Check with: umvtool verify FOLDER\nformat: 1\n";
    for (const auto& [key, value] : manifest.facts)
        text += key + ": " + value + "\n";
    for (const ManifestFile& f : manifest.files)
        text += std::string(kFilePrefix) + f.sha256 + " " + std::to_string(f.size) + " " + f.name +
                "\n";
    text += std::string(kSelfPrefix) + Sha256Of(text) + "\n";
    return text;
}

bool ParseManifest(std::string_view text, Manifest* out, std::string* error) {
    *out = {};
    const size_t self = text.rfind(kSelfPrefix);
    if (self == std::string_view::npos || (self > 0 && text[self - 1] != '\n')) {
        *error = "the manifest has no closing digest (cut short?)";
        return false;
    }
    std::string_view last = text.substr(self + kSelfPrefix.size());
    if (!last.empty() && last.back() == '\n') last.remove_suffix(1);
    if (!IsDigest(last) || last != Sha256Of(text.substr(0, self))) {
        *error = "the manifest itself was changed";
        return false;
    }
    bool formatSeen = false;
    std::string_view body = text.substr(0, self);
    while (!body.empty()) {
        const size_t nl = body.find('\n');
        const std::string_view line = body.substr(0, nl);
        body = nl == std::string_view::npos ? std::string_view() : body.substr(nl + 1);
        if (line.empty() || line[0] == '#') continue;
        if (line.substr(0, kFilePrefix.size()) == kFilePrefix) {
            ManifestFile file;
            if (!ParseFileLine(line.substr(kFilePrefix.size()), &file)) {
                *error = "a file line of the manifest cannot be read";
                return false;
            }
            for (const ManifestFile& other : out->files) {
                if (other.name == file.name) {
                    *error = "the manifest names " + file.name + " twice";
                    return false;
                }
            }
            out->files.push_back(std::move(file));
            continue;
        }
        const size_t colon = line.find(": ");
        if (colon == std::string_view::npos || colon == 0) {
            *error = "a line of the manifest cannot be read";
            return false;
        }
        const std::string key(line.substr(0, colon));
        const std::string value(line.substr(colon + 2));
        if (key == "format") {
            if (value != "1") {
                *error = "manifest format " + value + " is not known";
                return false;
            }
            formatSeen = true;
            continue;
        }
        out->facts.emplace_back(key, value);
    }
    if (!formatSeen) {
        *error = "the manifest does not say its format";
        return false;
    }
    return true;
}

bool HashFile(const std::string& path, std::string* sha256, uint64_t* size) {
    const int fd = platform::OpenRegularFile(path);
    if (fd < 0) return false;
    std::unique_ptr<EVP_MD_CTX, DigestDeleter> ctx(EVP_MD_CTX_new());
    EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr);
    std::vector<unsigned char> buffer(1 << 20);
    uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<size_t>(n));
        total += static_cast<uint64_t>(n);
    }
    ::close(fd);
    if (!ok) return false;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_DigestFinal_ex(ctx.get(), digest, &length);
    *sha256 = Hex(digest, length);
    *size = total;
    return true;
}

VerifyReport VerifyFolder(const std::string& folder) {
    VerifyReport report;
    const std::filesystem::path dir(folder);
    std::vector<uint8_t> bytes;
    if (!platform::ReadRegularFile((dir / kManifestName).string(), &bytes)) {
        report.error = (dir / kManifestName).string() + ": missing or unreadable";
        return report;
    }
    Manifest manifest;
    std::string error;
    if (!ParseManifest(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                       &manifest, &error)) {
        report.error = (dir / kManifestName).string() + ": " + error;
        return report;
    }
    std::vector<std::string> named;
    for (const ManifestFile& f : manifest.files) {
        named.push_back(f.name);
        const std::string path = (dir / f.name).string();
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
            report.missing.push_back(f.name);
            continue;
        }
        std::string digest;
        uint64_t size = 0;
        if (!HashFile(path, &digest, &size) || digest != f.sha256 || size != f.size) {
            report.changed.push_back(f.name);
            continue;
        }
        ++report.verified;
    }
    std::error_code ec;
    std::vector<std::string> extra;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec)) {
        std::string name = std::filesystem::relative(entry.path(), dir, ec).string();
        if (name == kManifestName) continue;
        if (std::find(named.begin(), named.end(), name) != named.end()) continue;
        extra.push_back(std::move(name));
    }
    std::sort(extra.begin(), extra.end());
    report.extra = std::move(extra);
    if (report.changed.empty() && report.missing.empty())
        report.facts = RecheckFacts(folder, manifest);
    return report;
}

}  // namespace exporter
