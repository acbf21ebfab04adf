#include "client/app/settings/settings_texts.h"

#include <QWidget>

namespace client {

QString SettingsText(const platform::StringTable& table, int id) {
    return QString::fromStdString(table.Text(id));
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
