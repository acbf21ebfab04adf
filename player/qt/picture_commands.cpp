#include "player/qt/picture_commands.h"

#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

#include "media/still_image.h"
#include "media/wall_time.h"
#include "platform/mapped_file.h"
#include "platform/string_table.h"
#include "player/player_settings.h"
#include "player/player_strings.h"
#include "player/qt/dialog_skin.h"
#include "player/search/still_commands.h"
#include "ui/capture_save_dialog.h"
#include "ui/print_page.h"
#include "ui/still_save.h"

namespace player::qt {
namespace {

constexpr int kTextSelectFile = 2011;
constexpr int kTextAlreadySaved = 2016;
constexpr int kTextCannotPrintPlaying = 2015;
constexpr int kTextNoPrinter = 2007;
constexpr int kTextPrinted = 2017;
constexpr int kTextVideoFile = 2018;
constexpr int kTextCantOpen = 2021;
constexpr int kTextCaptureFailed = 2023;

int RefusalText(CommandRefusal refusal) {
    switch (refusal) {
        case CommandRefusal::kNoFile:
            return kTextSelectFile;
        case CommandRefusal::kAlreadySaved:
            return kTextAlreadySaved;
        case CommandRefusal::kPlaying:
            return kTextCannotPrintPlaying;
        case CommandRefusal::kNone:
            break;
    }
    return 0;
}

// The opened still's own picture.
bool DecodeStill(const std::string& path, QImage* out) {
    platform::MappedFile file;
    if (file.Open(path) != platform::MapError::kNone) return false;
    const media::JpegLocation where = media::LocateJpeg(file.bytes());
    media::RgbPicture picture;
    std::string error;
    if (!where.found || !media::DecodeJpeg(where.jpeg(file.bytes()), &picture, &error))
        return false;
    *out = ui::ToQImage(picture);
    return true;
}

}  // namespace

PictureCommands::PictureCommands(QWidget* window, output::ChannelDisplay& display,
                                 std::mutex& decodeLock, platform::RegistryStore& settings,
                                 const platform::StringTable& strings, std::string programDir)
    : window_(window),
      display_(display),
      decodeLock_(decodeLock),
      settings_(settings),
      strings_(strings),
      programDir_(std::move(programDir)) {}

void PictureCommands::Tell(int textId) {
    Tell(QString::fromStdString(strings_.Str(textId)));
}

void PictureCommands::Tell(const QString& text) {
    if (message_)
        message_(text);
    else
        QMessageBox::information(window_, QStringLiteral("Orvane_M4"), text);
}

bool PictureCommands::Picture(const PictureContext& context, QImage* picture) {
    if (IsStillPath(context.openedPath)) return DecodeStill(context.openedPath, picture);
    media::RgbPicture rgb;
    {
        std::lock_guard lock(decodeLock_);  // the play thread does not decode meanwhile
        if (!ui::CaptureLayout(display_, context.layout, &rgb)) return false;
    }
    *picture = ui::ToQImage(rgb);
    return true;
}

void PictureCommands::Capture(const PictureContext& context) {
    if (const int refusal = RefusalText(CaptureRefusal(context.openedPath))) {
        Tell(refusal);
        return;
    }
    ui::CaptureSaveSetup setup;
    {
        std::lock_guard lock(decodeLock_);
        if (!ui::CaptureLayout(display_, context.layout, &setup.picture)) {
            Tell(kTextCaptureFailed);
            return;
        }
    }
    const std::string folder = CapturePath(settings_, programDir_);
    const QDateTime local = QDateTime::currentDateTime();
    const media::CivilTime now{local.date().year(), local.date().month(),  local.date().day(),
                               local.time().hour(), local.time().minute(), local.time().second()};
    setup.defaultPath = QString::fromStdString(media::StillName(
        folder, context.recorder.toStdString(), now, ui::StillChannelOfLayout(context.layout), ""));
    setup.timeText = context.timeText;
    setup.sourceName = context.sourceName;
    setup.markPath = QString::fromStdString(WatermarkPath(settings_, programDir_));
    ui::CaptureSaveTexts texts = ui::CaptureSaveTexts::FromTable(strings_);
    texts.savePdf = QString::fromStdString(strings_.Str(kTextSaveAsPdf));
    texts.insertWatermark = QString::fromStdString(strings_.Str(kTextInsertWatermark));
    ui::CaptureSaveDialog dialog(std::move(setup), texts, window_);
    ApplyPlayerSkin(&dialog, strings_);
    if (message_) dialog.SetMessageSink(message_);
    if (choosePdf_) dialog.SetPdfChooser(choosePdf_);
    if (runSaveDialog_)
        runSaveDialog_(dialog);
    else
        dialog.exec();
}

void PictureCommands::Print(const PictureContext& context) {
    if (const int refusal = RefusalText(PrintRefusal(context.openedPath, context.playing))) {
        Tell(refusal);
        return;
    }
    ui::PrintPageContent page;
    if (!Picture(context, &page.picture)) {
        Tell(kTextCantOpen);
        return;
    }
    page.timeText = context.timeText;
    page.fileName = context.sourceName;
    if (ui::PrintToDefaultPrinter(page) == ui::PrintResult::kPrinted) {
        Tell(kTextPrinted);
        return;
    }
    Tell(kTextNoPrinter);
    // Many desktops have no printer: the page can still be kept as a PDF file.
    const QString pdf = choosePdf_
                            ? choosePdf_()
                            : QFileDialog::getSaveFileName(
                                  window_, QString::fromStdString(strings_.Str(kTextSaveAsPdf)),
                                  QString(), QStringLiteral("PDF (*.pdf)"));
    if (pdf.isEmpty()) return;
    if (ui::PrintToPdf(page, pdf) == ui::PrintResult::kPrinted)
        Tell(kTextPrinted);
    else
        Tell(kTextCaptureFailed);
}

PictureCommands::WatermarkView PictureCommands::ToggleWatermark(const std::string& openedPath,
                                                                QImage* check) {
    media::RgbPicture picture;
    std::string error;
    switch (toggle_.Press(openedPath, &picture, &error)) {
        case WatermarkToggle::Outcome::kNoFile:
            Tell(kTextSelectFile);
            break;
        case WatermarkToggle::Outcome::kVideoFile:
            Tell(kTextVideoFile);
            break;
        case WatermarkToggle::Outcome::kCantOpen:
            Tell(kTextCantOpen);
            break;
        case WatermarkToggle::Outcome::kDecodeFailed:
            if (message_)
                message_(QString::fromStdString(error));
            else
                QMessageBox::critical(window_, QString::fromLatin1(media::kJpegFatalErrorCaption),
                                      QString::fromStdString(error));
            break;
        case WatermarkToggle::Outcome::kNoTime:
            break;
        case WatermarkToggle::Outcome::kShowCheck:
            *check = ui::ToQImage(picture);
            return WatermarkView::kShowCheck;
        case WatermarkToggle::Outcome::kShowStill:
            return WatermarkView::kShowStill;
    }
    return WatermarkView::kUnchanged;
}

}  // namespace player::qt
