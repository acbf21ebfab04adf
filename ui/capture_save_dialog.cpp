#include "ui/capture_save_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "media/jpeg_library.h"

namespace ui {

namespace {

QString Text(const platform::StringTable& table, int id) {
    return QString::fromStdString(table.Str(id));
}

}  // namespace

CaptureSaveTexts CaptureSaveTexts::FromTable(const platform::StringTable& table) {
    CaptureSaveTexts t;
    t.fileName = Text(table, 2002);
    t.keyword = Text(table, 2005);
    t.save = Text(table, 135);
    t.print = Text(table, 136);
    t.close = Text(table, 137);
    t.saved = Text(table, 2003);
    t.diskFull = Text(table, 2028);
    t.markMissing = Text(table, 2009);
    t.markIncompatible = Text(table, 2008);
    t.writeFailed = Text(table, 2023);
    t.noPrinter = Text(table, 2007);
    t.printed = Text(table, 2017);
    return t;
}

QImage ToQImage(const media::RgbPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                  QImage::Format_RGB888)
        .copy();
}

CaptureSaveDialog::CaptureSaveDialog(CaptureSaveSetup setup, CaptureSaveTexts texts,
                                     QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), texts_(std::move(texts)) {
    setWindowTitle(texts_.save);
    preview_ = ToQImage(setup_.picture);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(
        preview_.scaled(QSize(360, 240), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    auto* time = new QLabel(setup_.timeText, this);
    name_ = new QLineEdit(setup_.defaultPath, this);
    keyword_ = new QLineEdit(this);
    watermark_ = new QCheckBox(texts_.insertWatermark, this);

    auto* form = new QFormLayout;
    form->addRow(texts_.fileName, name_);
    form->addRow(texts_.keyword, keyword_);
    form->addRow(QString(), watermark_);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(texts_.save, this);
    auto* print = new QPushButton(texts_.print, this);
    auto* pdf = new QPushButton(texts_.savePdf, this);
    auto* close = new QPushButton(texts_.close, this);
    for (QPushButton* b : {save, print, pdf, close})
        buttons->addWidget(b);
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &CaptureSaveDialog::Save);
    connect(print, &QPushButton::clicked, this, &CaptureSaveDialog::Print);
    connect(pdf, &QPushButton::clicked, this, &CaptureSaveDialog::SavePdf);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(picture);
    column->addWidget(time);
    column->addLayout(form);
    column->addLayout(buttons);
}

void CaptureSaveDialog::Tell(const QString& text) {
    if (message_)
        message_(text);
    else
        QMessageBox::information(this, windowTitle(), text);
}

void CaptureSaveDialog::Save() {
    SaveStillRequest request;
    request.picture = setup_.picture;
    request.path = name_->text().toStdString();
    // Commas separate the fields of a still's name: they never enter the keyword.
    request.keyword = keyword_->text().remove(QLatin1Char(',')).toStdString();
    request.watermark = watermark_->isChecked();
    request.markPath = setup_.markPath.toStdString();
    request.trailer = TrailerFromTimeText(setup_.timeText.toStdString());
    std::string saved, error;
    switch (SaveStill(request, probe_, &saved, &error)) {
        case SaveStillResult::kSaved:
            savedPath_ = QString::fromStdString(saved);
            Tell(texts_.saved);
            accept();
            return;
        case SaveStillResult::kDiskFull:
            Tell(texts_.diskFull);
            return;
        case SaveStillResult::kMarkMissing:
            Tell(texts_.markMissing);
            return;
        case SaveStillResult::kMarkIncompatible:
            Tell(texts_.markIncompatible);
            return;
        case SaveStillResult::kEncodeFailed:
            if (message_)
                message_(QString::fromStdString(error));
            else
                QMessageBox::critical(this, QString::fromLatin1(media::kJpegFatalErrorCaption),
                                      QString::fromStdString(error));
            return;
        case SaveStillResult::kWriteFailed:
            Tell(texts_.writeFailed);
            return;
    }
}

PrintPageContent CaptureSaveDialog::PageContent() const {
    PrintPageContent page;
    page.picture = preview_;
    page.timeText = setup_.timeText;
    page.fileName = setup_.sourceName;
    page.recorderPage = setup_.recorderPage;
    page.recorderName = setup_.recorderName;
    page.recorderAddress = setup_.recorderAddress;
    return page;
}

void CaptureSaveDialog::Print() {
    switch (PrintToDefaultPrinter(PageContent())) {
        case PrintResult::kPrinted:
            Tell(texts_.printed);
            break;
        case PrintResult::kNoPrinter:
        case PrintResult::kFailed:
            Tell(texts_.noPrinter);
            break;
    }
}

void CaptureSaveDialog::SavePdf() {
    const QString path = choosePdf_ ? choosePdf_()
                                    : QFileDialog::getSaveFileName(this, texts_.savePdf, QString(),
                                                                   QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    if (PrintToPdf(PageContent(), path) == PrintResult::kPrinted)
        Tell(texts_.printed);
    else
        Tell(texts_.writeFailed);
}

}  // namespace ui
