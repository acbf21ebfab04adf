// The printed page of a captured picture, shared by both programs: the picture scaled to the
// page at (10, 100), its time text above it and the file name (or, for the remote client, the
// recorder's name and address) below. The page is painted onto any paint device, so the same
// function prints, writes a PDF and draws into an image.
#pragma once
#include <QImage>
#include <QRect>
#include <QString>

class QPaintDevice;

namespace ui {

struct PrintPageContent {
    QImage picture;
    QString timeText;
    // The player's page: "File Name : %s".
    QString fileName;
    // The remote client's page: "DVR Name : %s" and "DVR Address : %s" instead of the file name.
    bool recorderPage = false;
    QString recorderName;
    QString recorderAddress;
};

struct PrintPageGeometry {
    QRect picture;        // 4 x (s / 4) by 3 x (s / 4) at (10, 100), s the page's smaller side
    QPoint timeText;      // top left of the time text
    QRect fileName;       // the wrapped file-name text (player) ...
    QPoint recorderName;  // ... or the two recorder lines (client)
    QPoint recorderAddress;
};
PrintPageGeometry PrintPageLayout(int pageWidth, int pageHeight);

// Paints the page onto `device` (device pixels).
void PaintPrintPage(QPaintDevice* device, const PrintPageContent& content);

enum class PrintResult {
    kPrinted,    // "Printing completed."
    kNoPrinter,  // "Please check printer connection."
    kFailed,     // the printer or file could not be opened
};
// Sends the page to the default printer, without a print dialog.
PrintResult PrintToDefaultPrinter(const PrintPageContent& content);
// Writes the page as a one-page PDF file.
PrintResult PrintToPdf(const PrintPageContent& content, const QString& path);
// The same on a page of the given size in points (one device pixel per point).
PrintResult PrintToPdfSized(const PrintPageContent& content, const QString& path, QSize points);

}  // namespace ui
