#include "player/qt/window_trace.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

namespace player::qt {

WindowTrace::WindowTrace(std::FILE* out, QObject* parent) : QObject(parent), out_(out) {
    qApp->installEventFilter(this);
}

WindowTrace::~WindowTrace() {
    qApp->removeEventFilter(this);
}

void WindowTrace::Line(const QString& text) {
    // One event, one line: a message's own line breaks are written as "\n".
    QString line = text;
    line.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    std::fprintf(out_, "%s\n", line.toUtf8().constData());
    std::fflush(out_);
}

bool WindowTrace::eventFilter(QObject* watched, QEvent* event) {
    auto* window = qobject_cast<QWindow*>(watched);
    if (window == nullptr) return false;
    if (event->type() == QEvent::Expose) {
        // The first exposure after a mapping: the window is on the screen and takes input.
        if (window->isExposed() && !exposed_.contains(window)) Exposed(window);
        if (!window->isExposed()) exposed_.remove(window);
    } else if (event->type() == QEvent::Hide && exposed_.remove(window)) {
        Line(QStringLiteral("hidden 0x%1").arg(window->winId(), 0, 16));
    }
    return false;
}

void WindowTrace::Exposed(QWindow* window) {
    exposed_.insert(window);
    connect(window, &QObject::destroyed, this, [this, window] { exposed_.remove(window); });
    const QString id = QStringLiteral("0x%1").arg(window->winId(), 0, 16);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() != window) continue;
        if (auto* box = qobject_cast<QMessageBox*>(widget))
            Line(QStringLiteral("message %1 %2").arg(id, box->text()));
        else
            Line(QStringLiteral("shown %1 %2").arg(id, widget->windowTitle()));
        return;
    }
}

}  // namespace player::qt
