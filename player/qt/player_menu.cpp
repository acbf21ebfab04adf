#include "player/qt/player_menu.h"

#include "player/player_strings.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include "platform/string_table.h"

namespace player::qt {
namespace {

constexpr int kTextAbout = 101;

QString Str(const platform::StringTable& strings, int id) {
    return QString::fromStdString(strings.Str(id)).trimmed();
}

QString LanguageName(ui::Language language) {
    switch (language) {
        case ui::Language::English:
            return QStringLiteral("English");
        case ui::Language::Korean:
            return QStringLiteral("한국어");
        case ui::Language::Japanese:
            return QStringLiteral("日本語");
        case ui::Language::Spanish:
            return QStringLiteral("Español");
        case ui::Language::German:
            return QStringLiteral("Deutsch");
        case ui::Language::French:
            return QStringLiteral("Français");
        case ui::Language::Polish:
            return QStringLiteral("Polski");
        case ui::Language::Russian:
            return QStringLiteral("Русский");
        case ui::Language::Italian:
            return QStringLiteral("Italiano");
    }
    return {};
}

}  // namespace

void FillPlayerMenu(QMenu& menu, const platform::StringTable& strings,
                    const std::vector<ui::Language>& languages, ui::Language current,
                    const MenuHandlers& handlers) {
    struct Item {
        QString text;
        int command;
        QKeySequence key;
    };
    const Item items[] = {
        {Str(strings, 123), 123, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {Str(strings, 122), 122, QKeySequence(Qt::CTRL | Qt::Key_G)},
        {},
        {Str(strings, 124), 124, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {Str(strings, 126), 126, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {Str(strings, 110), 110, QKeySequence(Qt::Key_W)},
        {},
        {Str(strings, kTextMarkIn), kCmdMarkIn, QKeySequence(Qt::Key_I)},
        {Str(strings, kTextMarkOut), kCmdMarkOut, QKeySequence(Qt::Key_O)},
        {Str(strings, kTextExportClip), kCmdExportClip, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {Str(strings, kTextExportEvidence), kCmdExportEvidence,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
        {},
    };
    for (const Item& item : items) {
        if (item.text.isEmpty()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(item.text);
        action->setShortcut(item.key);
        const int command = item.command;
        QObject::connect(action, &QAction::triggered, &menu,
                         [handlers, command] { handlers.command(command); });
    }
    QMenu* languageMenu = menu.addMenu(Str(strings, kTextLanguage));
    auto* group = new QActionGroup(languageMenu);
    for (ui::Language language : languages) {
        QAction* action = languageMenu->addAction(LanguageName(language));
        action->setCheckable(true);
        action->setChecked(language == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, &menu,
                         [handlers, language] { handlers.language(language); });
    }
    menu.addSeparator();
    // A language pack names the about entry (string 101); the English table leaves it empty.
    QString about = Str(strings, kTextAbout);
    if (about.isEmpty()) about = QStringLiteral("About Orvane_M4...");
    QAction* action = menu.addAction(about);
    QObject::connect(action, &QAction::triggered, &menu,
                     [handlers] { handlers.command(kCmdAbout); });
}

std::vector<ui::Language> InstalledLanguages(const std::string& programDir) {
    std::vector<ui::Language> out{ui::Language::English};
    for (int i = 1; i <= static_cast<int>(ui::Language::Italian); ++i) {
        const auto language = static_cast<ui::Language>(i);
        const std::string pack = programDir + ui::PackFileName("Orvane_M4", language);
        if (QFileInfo::exists(QString::fromStdString(pack))) out.push_back(language);
    }
    return out;
}

QString AboutText() {
    return QStringLiteral("Orvane_M4%1").arg(QStringLiteral("(Ver1.8)"));
}

void ShowAboutBox(QWidget* parent, const platform::StringTable& strings) {
    QString title = Str(strings, kTextAbout);
    if (title.isEmpty()) title = QStringLiteral("Orvane_M4");
    QMessageBox::about(parent, title.remove(QStringLiteral("...")), AboutText());
}

}  // namespace player::qt
