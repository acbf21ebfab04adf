#include "client/app/settings/settings_texts.h"

#include <QWidget>
#include <algorithm>
#include <iterator>

namespace client {
namespace {

// The English texts of the two dialogs. The client's table (and a language pack) may hold the same
// numbers; their texts win.
constexpr platform::StringEntry kEnglish[] = {
    {733, "Japanese"},
    {742, "OK"},
    {743, "Cancel"},
    {744, "OK"},
    {745, "Cancel"},
    {774, "Event Sound"},
    {775, "OFF"},
    {776, "ON"},
    {787, "OFF"},
    {788, "ON"},
    {1031, "Selected Watermark"},
    {1032, "Selected Language"},
    {1033, "Selected Still Image Path"},
    {1047, "Recording Mode"},
    {1048, "Continuous Recording"},
    {1049, "Recording duration"},
    {1050, "End Recording"},
    {1051, "Insert Keyword"},
    {1081, "Minute"},
    {1100, "Display Type"},
    {1101, "YUV"},
    {1102, "RGB"},
    {1104, "Selected Backup File Path"},
    {1106, "Selected Record File Path"},
    {1108, "De-Interlaced"},
    {1131, "Recording Channel"},
    {2021, "Invalid \"End Recording\" Time/Date."},
    {2031, "English"},
    {2032, "Korean"},
    {2057, "Spanish"},
    {2058, "German"},
    {2059, "French"},
    {2066, "Copy Quenby"},
    {2068, "Polish"},
    {2069, "Russian"},
    {2070, "Italian"},
};

}  // namespace

QString SettingsText(const platform::StringTable& table, int id) {
    const std::string text = table.Text(id);
    if (!text.empty()) return QString::fromStdString(text);
    const auto it = std::find_if(std::begin(kEnglish), std::end(kEnglish),
                                 [id](const platform::StringEntry& e) { return e.id == id; });
    if (it == std::end(kEnglish)) return {};
    return QString::fromUtf8(it->text.data(), static_cast<qsizetype>(it->text.size()));
}

void ApplySettingsDialogStyle(QWidget* dialog) {
    // The skin's palette: panel text, inset fields, the accent for focus and checked marks.
    dialog->setStyleSheet(QStringLiteral(
        "QLabel, QCheckBox, QRadioButton { color: #d8dee6; background: transparent; }"
        "QCheckBox:disabled, QRadioButton:disabled, QLabel:disabled { color: #5d6874; }"
        "QCheckBox, QRadioButton { spacing: 5px; }"
        "QCheckBox::indicator, QRadioButton::indicator { width: 12px; height: 12px;"
        "  border: 1px solid #7d8a97; background: #0f1216; }"
        "QCheckBox::indicator { border-radius: 3px; }"
        "QRadioButton::indicator { border-radius: 7px; }"
        "QCheckBox::indicator:checked { background: #4db6ff; border-color: #4db6ff; }"
        "QRadioButton::indicator:checked { border-color: #4db6ff; background: qradialgradient("
        "  cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5, stop: 0 #4db6ff, stop: 0.5 #4db6ff,"
        "  stop: 0.6 #0f1216, stop: 1 #0f1216); }"
        "QCheckBox::indicator:hover, QRadioButton::indicator:hover { border-color: #4db6ff; }"
        "QCheckBox::indicator:disabled, QRadioButton::indicator:disabled {"
        "  border-color: #2f3742; background: #15191e; }"
        "QGroupBox { color: #9fb0c0; border: 1px solid #2f3742; border-radius: 6px;"
        "  margin-top: 8px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }"
        "QLineEdit, QComboBox, QDateEdit, QTimeEdit { color: #d8dee6; background: #0f1216;"
        "  border: 1px solid #3a434e; border-radius: 3px; padding: 1px 4px;"
        "  selection-background-color: #1d5f99; }"
        "QLineEdit:focus, QComboBox:focus, QDateEdit:focus, QTimeEdit:focus {"
        "  border-color: #4db6ff; }"
        "QLineEdit:disabled, QComboBox:disabled, QDateEdit:disabled, QTimeEdit:disabled {"
        "  color: #5d6874; }"
        "QComboBox QAbstractItemView { color: #d8dee6; background: #1e242b;"
        "  selection-background-color: #1d5f99; }"));
}

}  // namespace client
