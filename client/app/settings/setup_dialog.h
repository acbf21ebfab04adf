// The setup dialog: the client's folders and watermark file, the interface language, the event
// sound, the display type, de-interlacing and the copy of the simple player beside backups. The
// main window opens it with its Setup button:
//
//   client::SetupDialog dialog(settings, client::ClientStrings(), languagePack,
//                              {programDir, languagePackLoadedAtStart}, this);
//   connect(&dialog, &client::SetupDialog::languageChanged, window, &Window::Relabel);
//   connect(&dialog, &client::SetupDialog::displayTypeChanged, ...);   // re-initialise the view
//   connect(&dialog, &client::SetupDialog::deInterlacedChanged, ...);  // decoders and view
//   connect(&dialog, &client::SetupDialog::eventSoundChanged, ...);
//   dialog.exec();
//
// A language picked in the list is in force at once (the dialog re-labels itself and reports it
// through languageChanged) and is stored with OK; Cancel returns to the language the dialog opened
// with and leaves every stored value as it was. OK stores every field; the display type,
// de-interlacing and event sound signals follow at once for the values that changed. Enter and Esc
// never close it.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <string>

#include "client/app/settings/client_settings.h"
#include "client/app/settings/settings_dialog_base.h"
#include "client/app/settings/setup_values.h"
#include "ui/language.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace ui {
class LanguagePack;
}

namespace client {

class SetupDialog : public SettingsDialogBase {
    Q_OBJECT

  public:
    enum Command : int {
        kOk = 744,
        kCancel = 745,
        kChooseRecordPath = kCaptionRecordPath,
        kChooseBackupPath = kCaptionBackupPath,
        kChooseCapturePath = kCaptionCapturePath,
        kChooseWaterMark = kCaptionWaterMark,
    };

    struct Options {
        std::string programDir;           // where the language packs are, ending in "/"
        bool languageListEnabled = true;  // false when the start-up language pack failed to load
        std::string program = "Telva_M4";
    };

    // `strings` is the client's text table, `pack` the process's language pack (the one whose
    // overlay `strings` follows).
    SetupDialog(ClientSettings& settings, const platform::StringTable& strings,
                ui::LanguagePack& pack, Options options, QWidget* parent = nullptr);

    // Replaceable for tests and other platforms: the folder browser (title,
    // start folder; an empty answer cancels) and the watermark file chooser (start file).
    void SetFolderChooser(std::function<QString(const QString&, const QString&)> chooser) {
        chooseFolder_ = std::move(chooser);
    }
    void SetFileChooser(std::function<QString(const QString&)> chooser) {
        chooseFile_ = std::move(chooser);
    }

    QLineEdit* PathEdit(int caption) const;
    QCheckBox* CopyQuenbyBox() const { return copyQuenby_; }
    QComboBox* LanguageList() const { return languages_; }
    QLabel* Caption(int caption) const;
    QRadioButton* Choice(QButtonGroup* group, int value) const;
    QButtonGroup* EventSoundGroup() const { return eventSound_; }
    QButtonGroup* DisplayTypeGroup() const { return displayType_; }
    QButtonGroup* DeInterlacedGroup() const { return deInterlaced_; }

  signals:
    // The interface language changed (picked in the list, or restored by Cancel).
    void languageChanged(int languageId);
    // After OK, for values that differ from those at opening.
    void eventSoundChanged(bool on);
    void displayTypeChanged(int type);
    void deInterlacedChanged(bool on);

  public slots:
    // OK: stores every field (and a changed language) and closes with Accepted.
    void Confirm();
    // Cancel, the close button or Alt+F4: back to the language at opening, nothing stored.
    void reject() override;
    // Opens the chooser of a caption button's field.
    void Choose(int caption);
    // The language list's entry `row` was picked.
    void PickLanguage(int row);

  private:
    void BuildControls();
    QButtonGroup* AddSwitch(int y, int offText, int onText, int value);
    void ShowValues(const SetupValues& values);
    SetupValues TakeValues() const;
    void Relabel();
    void SelectLanguageRow(ui::Language language);
    void OnCommand(int command);

    ClientSettings& settings_;
    const platform::StringTable& strings_;
    ui::LanguagePack& pack_;
    Options options_;
    std::function<QString(const QString&, const QString&)> chooseFolder_;
    std::function<QString(const QString&)> chooseFile_;

    SetupValues opened_;           // the values shown at opening
    ui::Language openedLanguage_;  // the language in force at opening

    std::array<QLabel*, 8> captions_{};
    std::array<QLineEdit*, 4> paths_{};  // record, backup, capture, watermark
    QCheckBox* copyQuenby_ = nullptr;
    QComboBox* languages_ = nullptr;
    QButtonGroup* eventSound_ = nullptr;
    QButtonGroup* displayType_ = nullptr;
    QButtonGroup* deInterlaced_ = nullptr;
};

}  // namespace client
