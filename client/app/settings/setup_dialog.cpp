#include "client/app/settings/setup_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "client/app/settings/client_language.h"
#include "client/app/settings/settings_texts.h"
#include "ui/language_pack.h"

namespace client {
namespace {

constexpr int kBackground = 288;
constexpr ui::SkinButtonSpec kButtons[] = {
    {330, 421, 410, 448, SetupDialog::kOk, 281, 280, 276},
    {420, 421, 500, 448, SetupDialog::kCancel, 287, 286, 285},
    {466, 45, 490, 67, SetupDialog::kChooseRecordPath, 356, 355, 356},
    {466, 90, 490, 112, SetupDialog::kChooseBackupPath, 356, 355, 356},
    {466, 135, 490, 157, SetupDialog::kChooseCapturePath, 356, 355, 356},
    {466, 180, 490, 202, SetupDialog::kChooseWaterMark, 356, 355, 356},
};

// The captions, in the order of the dialog, and the edits of the first four.
constexpr std::array<int, 8> kCaptions = {
    kCaptionRecordPath, kCaptionBackupPath, kCaptionCapturePath, kCaptionWaterMark,
    kCaptionLanguage,   kCaptionEventSound, kCaptionDisplayType, kCaptionDeInterlaced};
constexpr std::array<int, 4> kPathRows = {45, 90, 135, 180};

// Radio pairs: the texts of their two choices.
struct SwitchTexts {
    int off, on;
};
constexpr SwitchTexts kEventSoundTexts{775, 776};
constexpr SwitchTexts kDisplayTypeTexts{1101, 1102};
constexpr SwitchTexts kDeInterlacedTexts{787, 788};

int IndexOfCaption(int caption) {
    for (size_t i = 0; i < kCaptions.size(); ++i)
        if (kCaptions[i] == caption) return static_cast<int>(i);
    return -1;
}

}  // namespace

SetupDialog::SetupDialog(ClientSettings& settings, const platform::StringTable& strings,
                         ui::LanguagePack& pack, Options options, QWidget* parent)
    : SettingsDialogBase(kButtons, kBackground, strings, parent),
      settings_(settings),
      strings_(strings),
      pack_(pack),
      options_(std::move(options)),
      openedLanguage_(pack.Current()) {
    connect(&Frame(), &ui::SkinFrame::commandTriggered, this, &SetupDialog::OnCommand);
    BuildControls();
    opened_ = SetupValues::Load(settings_);
    ShowValues(opened_);
    Relabel();
}

void SetupDialog::BuildControls() {
    for (size_t i = 0; i < kCaptions.size(); ++i) {
        captions_[i] = new QLabel(this);
        captions_[i]->setWordWrap(true);
        captions_[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    for (size_t i = 0; i < paths_.size(); ++i) {
        paths_[i] = new QLineEdit(this);
        paths_[i]->setGeometry(170, kPathRows[i], 290, 22);
        captions_[i]->setBuddy(paths_[i]);
    }
    copyQuenby_ = new QCheckBox(this);
    copyQuenby_->setGeometry(170, 114, 290, 20);

    languages_ = new QComboBox(this);
    languages_->setGeometry(170, 225, 150, 22);
    for (const LanguageLabel& label : LanguageLabels())
        languages_->addItem(QString(), ui::InfoOf(label.language).languageId);
    languages_->setEnabled(options_.languageListEnabled);
    captions_[IndexOfCaption(kCaptionLanguage)]->setBuddy(languages_);
    SelectLanguageRow(pack_.Current());
    connect(languages_, &QComboBox::activated, this, &SetupDialog::PickLanguage);

    eventSound_ = AddSwitch(250, kEventSoundTexts.off, kEventSoundTexts.on, 0);
    displayType_ = AddSwitch(275, kDisplayTypeTexts.off, kDisplayTypeTexts.on, 0);
    deInterlaced_ = AddSwitch(300, kDeInterlacedTexts.off, kDeInterlacedTexts.on, 1);
}

QButtonGroup* SetupDialog::AddSwitch(int y, int offText, int onText, int value) {
    auto* group = new QButtonGroup(this);
    const int texts[2] = {offText, onText};
    for (int choice = 0; choice < 2; ++choice) {
        auto* button = new QRadioButton(this);
        button->setProperty("textId", texts[choice]);
        button->setGeometry(170 + 100 * choice, y, 100, 22);
        group->addButton(button, choice);
    }
    group->button(value)->setChecked(true);
    return group;
}

QLineEdit* SetupDialog::PathEdit(int caption) const {
    const int index = IndexOfCaption(caption);
    return index >= 0 && index < static_cast<int>(paths_.size()) ? paths_[index] : nullptr;
}

QLabel* SetupDialog::Caption(int caption) const {
    const int index = IndexOfCaption(caption);
    return index >= 0 ? captions_[index] : nullptr;
}

QRadioButton* SetupDialog::Choice(QButtonGroup* group, int value) const {
    return qobject_cast<QRadioButton*>(group->button(value));
}

void SetupDialog::ShowValues(const SetupValues& v) {
    paths_[0]->setText(QString::fromStdString(v.recordPath));
    paths_[1]->setText(QString::fromStdString(v.backupPath));
    paths_[2]->setText(QString::fromStdString(v.capturePath));
    paths_[3]->setText(QString::fromStdString(v.waterMark));
    copyQuenby_->setChecked(v.copyQuenby);
    eventSound_->button(v.eventSound ? 1 : 0)->setChecked(true);
    displayType_->button(v.displayType == 1 ? 1 : 0)->setChecked(true);
    deInterlaced_->button(v.deInterlaced ? 1 : 0)->setChecked(true);
}

SetupValues SetupDialog::TakeValues() const {
    SetupValues v;
    v.recordPath = paths_[0]->text().toStdString();
    v.backupPath = paths_[1]->text().toStdString();
    v.capturePath = paths_[2]->text().toStdString();
    v.waterMark = paths_[3]->text().toStdString();
    v.copyQuenby = copyQuenby_->isChecked();
    v.eventSound = eventSound_->checkedId() == 1;
    v.displayType = displayType_->checkedId() == 1 ? 1 : 0;
    v.deInterlaced = deInterlaced_->checkedId() == 1;
    return v;
}

void SetupDialog::Relabel() {
    const ui::Language language = pack_.Current();
    for (size_t i = 0; i < kCaptions.size(); ++i) {
        captions_[i]->setText(SettingsText(strings_, kCaptions[i]));
        const CaptionPlace place = SetupCaptionPlace(kCaptions[i], language);
        captions_[i]->setGeometry(20, place.y, 145, place.height);
    }
    copyQuenby_->setText(SettingsText(strings_, 2066));
    for (QButtonGroup* group : {eventSound_, displayType_, deInterlaced_})
        for (QAbstractButton* button : group->buttons())
            button->setText(SettingsText(strings_, button->property("textId").toInt()));
    const QSignalBlocker blocker(languages_);
    for (size_t row = 0; row < LanguageLabels().size(); ++row)
        languages_->setItemText(static_cast<int>(row),
                                SettingsText(strings_, LanguageLabels()[row].textId));
    Frame().SetBackground(kBackground);
    Frame().RefreshTooltips(Frame().ButtonCount());
    update();
}

void SetupDialog::SelectLanguageRow(ui::Language language) {
    const QSignalBlocker blocker(languages_);
    languages_->setCurrentIndex(languages_->findData(ui::InfoOf(language).languageId));
}

void SetupDialog::PickLanguage(int row) {
    const ui::Language language = ui::LanguageFromId(languages_->itemData(row).toInt());
    if (language == pack_.Current()) return;
    const ui::LanguagePack::Result result =
        pack_.Load(options_.programDir, options_.program, language);
    if (!result.ok) {
        SelectLanguageRow(pack_.Current());
        Tell(QString::fromStdString(result.error));
        return;
    }
    Relabel();
    emit languageChanged(pack_.LanguageId());
}

void SetupDialog::Choose(int caption) {
    QLineEdit* edit = PathEdit(caption);
    if (!edit) return;
    const QString current = edit->text();
    if (caption == kCaptionWaterMark) {
        const QString file =
            chooseFile_ ? chooseFile_(current)
                        : QFileDialog::getOpenFileName(this, QString(), current,
                                                       QStringLiteral("RAW Files (*.raw)"));
        if (!file.isEmpty()) edit->setText(file);
        return;
    }
    // The browser opens in the current folder, made first when it does not exist yet.
    PrepareFolder(current.toStdString());
    const QString title = QStringLiteral("Please select a directory...");
    const QString folder = chooseFolder_ ? chooseFolder_(title, current)
                                         : QFileDialog::getExistingDirectory(this, title, current);
    if (!folder.isEmpty())
        edit->setText(QString::fromStdString(WithTrailingSlash(folder.toStdString())));
}

void SetupDialog::Confirm() {
    const SetupValues values = TakeValues();
    bool stored = values.Store(settings_);
    if (pack_.Current() != openedLanguage_)
        stored = settings_.SetLanguage(pack_.Current()) && stored;
    if (!stored) {
        Tell(QStringLiteral("The settings could not be saved."));
        return;
    }
    SetClosing(true);
    accept();
    if (values.eventSound != opened_.eventSound) emit eventSoundChanged(values.eventSound);
    if (values.displayType != opened_.displayType) emit displayTypeChanged(values.displayType);
    if (values.deInterlaced != opened_.deInterlaced) emit deInterlacedChanged(values.deInterlaced);
}

void SetupDialog::reject() {
    if (pack_.Current() != openedLanguage_) {
        const ui::LanguagePack::Result result =
            pack_.Load(options_.programDir, options_.program, openedLanguage_);
        if (!result.ok) pack_.Unload();  // the opening pack went away: built-in English
        emit languageChanged(pack_.LanguageId());
    }
    SetClosing(true);
    SettingsDialogBase::reject();
}

void SetupDialog::OnCommand(int command) {
    switch (command) {
        case kOk:
            Confirm();
            break;
        case kCancel:
            reject();
            break;
        default:
            Choose(command);
    }
}

}  // namespace client
