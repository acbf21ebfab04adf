#include "ui/print_page.h"

#include <QFont>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace ui {

PrintPageGeometry PrintPageLayout(int w, int h) {
    PrintPageGeometry g;
    const int quarter = std::min(w, h) / 4;
    g.picture = QRect(10, 100, 4 * quarter, 3 * quarter);
    g.timeText = QPoint(10, 10);
    const int below = g.picture.height() + 150;
    g.fileName = QRect(QPoint(10, below), QPoint(w - 1, h - 1));
    g.recorderName = QPoint(10, below);
    g.recorderAddress = QPoint(10, g.picture.height() + 250);
    return g;
}

namespace {

void PaintOn(QPainter& painter, QPaintDevice* device, const PrintPageContent& content) {
    const PrintPageGeometry g = PrintPageLayout(device->width(), device->height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Text sized for the page, so that it reads the same on a printer and on a screen image.
    QFont font = painter.font();
    font.setPixelSize(std::max(12, std::min(device->width(), device->height()) / 60));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int line = painter.fontMetrics().height();

    painter.drawText(QRect(g.timeText, QSize(device->width() - 10, line)),
                     Qt::AlignLeft | Qt::AlignTop, content.timeText);
    if (!content.picture.isNull()) painter.drawImage(g.picture, content.picture);
    if (content.recorderPage) {
        painter.drawText(QRect(g.recorderName, QSize(device->width() - 10, line)),
                         Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("DVR Name : %1").arg(content.recorderName));
        painter.drawText(QRect(g.recorderAddress, QSize(device->width() - 10, line)),
                         Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("DVR Address : %1").arg(content.recorderAddress));
    } else {
        painter.drawText(g.fileName, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere,
                         QStringLiteral("File Name : %1").arg(content.fileName));
    }
}

// One page to a printer: the job is sent when the painter ends.
PrintResult PrintTo(QPrinter* printer, const PrintPageContent& content) {
    printer->setFullPage(true);
    QPainter painter;
    if (!painter.begin(printer)) return PrintResult::kFailed;
    PaintOn(painter, printer, content);
    return painter.end() ? PrintResult::kPrinted : PrintResult::kFailed;
}

}  // namespace

void PaintPrintPage(QPaintDevice* device, const PrintPageContent& content) {
    QPainter painter(device);
    if (painter.isActive()) PaintOn(painter, device, content);
}

PrintResult PrintToDefaultPrinter(const PrintPageContent& content) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return PrintResult::kNoPrinter;
    QPrinter printer(info, QPrinter::HighResolution);
    return PrintTo(&printer, content);
}

PrintResult PrintToPdf(const PrintPageContent& content, const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return PrintTo(&printer, content);
}

}  // namespace ui

namespace ui {

PrintResult PrintToPdfSized(const PrintPageContent& content, const QString& path, QSize points) {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setResolution(72);
    printer.setPageSize(QPageSize(points, QPageSize::Point));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    return PrintTo(&printer, content);
}

}  // namespace ui
