// The main window's picture commands over the open file: "Capture" (the picture on screen into a
// still through the save dialog), "Print" (to the default printer, or to a PDF file where there
// is none) and the "WaterMark" check toggle of an opened still.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <mutex>
#include <string>

#include "player/search/watermark_toggle.h"

class QWidget;

namespace output {
class ChannelDisplay;
}
namespace platform {
class RegistryStore;
class StringTable;
}  // namespace platform
namespace ui {
class CaptureSaveDialog;
}

namespace player::qt {

// What the window shows when a command is given.
struct PictureContext {
    std::string openedPath;  // "" when nothing is open
    bool playing = false;
    int layout = 0;
    QString timeText;    // the time field
    QString recorder;    // the recorder of the selected file-list row
    QString sourceName;  // the file name of the selected row (printed under the picture)
};

class PictureCommands {
  public:
    PictureCommands(QWidget* window, output::ChannelDisplay& display, std::mutex& decodeLock,
                    platform::RegistryStore& settings, const platform::StringTable& strings,
                    std::string programDir);

    void Capture(const PictureContext& context);
    void Print(const PictureContext& context);

    enum class WatermarkView { kUnchanged, kShowCheck, kShowStill };
    // One press on "WaterMark": kShowCheck puts the check picture in `check`.
    WatermarkView ToggleWatermark(const std::string& openedPath, QImage* check);
    // A new file was opened: the toggle starts from the still again.
    void ResetWatermark() { toggle_.Reset(); }
    bool watermarkPressed() const { return toggle_.pressed(); }

    // Replaceable for tests: the message box, the save dialog's run (instead of exec), the PDF
    // file chooser (an empty answer cancels).
    void SetMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }
    void SetSaveDialogRunner(std::function<void(ui::CaptureSaveDialog&)> run) {
        runSaveDialog_ = std::move(run);
    }
    void SetPdfChooser(std::function<QString()> chooser) { choosePdf_ = std::move(chooser); }

  private:
    bool Picture(const PictureContext& context, QImage* picture);
    void Tell(int textId);
    void Tell(const QString& text);

    QWidget* window_;
    output::ChannelDisplay& display_;
    std::mutex& decodeLock_;
    platform::RegistryStore& settings_;
    const platform::StringTable& strings_;
    std::string programDir_;
    WatermarkToggle toggle_;
    std::function<void(const QString&)> message_;
    std::function<void(ui::CaptureSaveDialog&)> runSaveDialog_;
    std::function<QString()> choosePdf_;
};

}  // namespace player::qt
