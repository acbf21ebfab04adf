// Asks what to export: the channel, the range (the whole recording, the two marks, or typed
// times) and where to write the clip or the evidence folder.
#pragma once

#include <QDialog>
#include <optional>

#include "player/qt/export_runner.h"

class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QRadioButton;

namespace platform {
class StringTable;
}

namespace player::qt {

struct ExportDefaults {
    bool evidence = false;
    std::string recording;
    int channel = 0;
    std::optional<int64_t> markIn;  // wall times of the marks set with I and O
    std::optional<int64_t> markOut;
    int64_t firstWall = 0;  // what the time fields start with when no mark is set
    QString out;
};

class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    ExportDialog(const ExportDefaults& defaults, const platform::StringTable& strings,
                 QWidget* parent = nullptr);
    // The order the controls describe.
    ExportOrder Order() const;

  private:
    void Browse();

    ExportDefaults defaults_;
    QComboBox* channel_ = nullptr;
    QRadioButton* whole_ = nullptr;
    QRadioButton* marks_ = nullptr;
    QRadioButton* times_ = nullptr;
    QDateTimeEdit* from_ = nullptr;
    QDateTimeEdit* to_ = nullptr;
    QLineEdit* out_ = nullptr;
};

// "YYYY-MM-DD hh:mm:ss" of a wall time (local time read as UTC).
QString WallText(int64_t wall);

}  // namespace player::qt
