#include "ui/language_pack.h"

#include <QFile>
#include <QResource>

#include "ui/resource_bundle_check.h"
#include "ui/skin_resources.h"

namespace ui {
namespace {

const QString kCheckRoot = QStringLiteral("/pending-language-pack");

const uchar* Bytes(const QByteArray& data) {
    return reinterpret_cast<const uchar*>(data.constData());
}

// Reads the string table of a pack registered under `root`.
std::optional<std::unordered_map<int, std::string>> ReadStrings(const QString& root) {
    QFile file(QStringLiteral(":%1/lang/strings.txt").arg(root));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray text = file.readAll();
    return ParseStringPack(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                           nullptr);
}

}  // namespace

LanguagePack::LanguagePack(platform::StringTable& table) : table_(table) {}

LanguagePack::~LanguagePack() {
    Unload();
}

LanguagePack::Result LanguagePack::Load(const std::string& directory, std::string_view program,
                                        Language language) {
    if (language == Language::English) {
        Unload();
        return {true, {}};
    }
    const std::string name = PackFileName(program, language);
    const Result failed{false, name + " Load Error"};

    QFile file(QString::fromStdString(directory + name));
    if (!file.open(QIODevice::ReadOnly)) return failed;
    QByteArray data = file.readAll();
    // Qt reads a registered bundle without bounds checks: a damaged file must not reach it.
    if (!IsWellFormedResourceBundle({reinterpret_cast<const std::uint8_t*>(data.constData()),
                                     static_cast<size_t>(data.size())})) {
        return failed;
    }
    // Check the new pack under a root of its own before giving up the current one.
    if (data.isEmpty() || !QResource::registerResource(Bytes(data), kCheckRoot)) return failed;
    auto strings = ReadStrings(kCheckRoot);
    QResource::unregisterResource(Bytes(data), kCheckRoot);
    if (!strings) return failed;

    Unload();
    if (!QResource::registerResource(Bytes(data), QString())) return failed;
    data_ = std::move(data);
    table_.SetOverlay(std::move(*strings));
    current_ = language;
    BumpSkinResourceGeneration();
    return {true, {}};
}

void LanguagePack::Unload() {
    if (!data_.isEmpty()) {
        QResource::unregisterResource(Bytes(data_), QString());
        data_.clear();
        BumpSkinResourceGeneration();
    }
    table_.SetOverlay({});
    current_ = Language::English;
}

}  // namespace ui
