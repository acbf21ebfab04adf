// The save dialog of a captured picture, shared by both programs: shows the picture and its
// default file name, takes a keyword and the "Insert WaterMark" choice, saves the still, and
// prints the picture (or writes the printed page as a PDF).
#pragma once
#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>

#include "media/jpeg_library.h"
#include "platform/string_table.h"
#include "ui/print_page.h"
#include "ui/still_save.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace ui {

// The dialog's texts; FromTable() reads them by the programs' string numbers.
struct CaptureSaveTexts {
    QString fileName = QStringLiteral("File Name");
    QString keyword = QStringLiteral("Keyword");
    QString save = QStringLiteral("Save");
    QString print = QStringLiteral("Print");
    QString close = QStringLiteral("Close");
    QString savePdf = QStringLiteral("Save as PDF");
    QString insertWatermark = QStringLiteral("Insert WaterMark");
    QString saved = QStringLiteral("The image has been saved.");
    QString diskFull = QStringLiteral("Capture Failed!! HDD Full!!");
    QString markMissing = QStringLiteral("The Watermark file name or path is not valid.");
    QString markIncompatible =
        QStringLiteral("The Watermark file you have selected is incompatible.");
    QString writeFailed = QStringLiteral("Warning!\nCapture Failed.");
    QString noPrinter = QStringLiteral("Please check printer connection.");
    QString printed = QStringLiteral("Printing completed.");
    static CaptureSaveTexts FromTable(const platform::StringTable& table);
};

struct CaptureSaveSetup {
    media::RgbPicture picture;
    QString defaultPath;  // the still's default name with its folder
    QString timeText;     // the picture's time, "YYYY-MM-DD hh:mm:ss"
    QString sourceName;   // the recording the picture came from (printed as the file name)
    QString markPath;     // the watermark pattern file
    // The client prints the recorder's name and address instead of the file name.
    bool recorderPage = false;
    QString recorderName;
    QString recorderAddress;
};

class CaptureSaveDialog : public QDialog {
    Q_OBJECT
  public:
    CaptureSaveDialog(CaptureSaveSetup setup, CaptureSaveTexts texts, QWidget* parent = nullptr);

    // Replaceable for tests and other platforms: the free-space probe, the message box, the
    // PDF file chooser (an empty answer cancels).
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { probe_ = std::move(probe); }
    void SetMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }
    void SetPdfChooser(std::function<QString()> chooser) { choosePdf_ = std::move(chooser); }

    QLineEdit* keywordEdit() const { return keyword_; }
    QCheckBox* watermarkBox() const { return watermark_; }
    // The file written by the last successful save.
    const QString& savedPath() const { return savedPath_; }

  public slots:
    void Save();
    void Print();
    void SavePdf();

  private:
    PrintPageContent PageContent() const;
    void Tell(const QString& text);

    CaptureSaveSetup setup_;
    CaptureSaveTexts texts_;
    QImage preview_;
    QLineEdit* name_ = nullptr;
    QLineEdit* keyword_ = nullptr;
    QCheckBox* watermark_ = nullptr;
    FreeSpaceProbe probe_ = FileSystemFreeSpace;
    std::function<void(const QString&)> message_;
    std::function<QString()> choosePdf_;
    QString savedPath_;
};

// The picture as a QImage (a copy).
QImage ToQImage(const media::RgbPicture& picture);

}  // namespace ui
