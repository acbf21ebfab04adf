// What the program did, as lines on standard error for the scripts that drive it (--trace):
//   shown WINDOW TITLE      a window was mapped and exposed (WINDOW: its native id, 0x...)
//   message WINDOW TEXT     a message box was mapped and exposed, with its text
//   hidden WINDOW           a window shown before was hidden
//   ANY LINE                what the main window reports through Line() (a command completed,
//                           a file opened, the time field moved on ...)
// A script waits for these lines instead of watching the screen.
#pragma once

#include <QObject>
#include <QSet>
#include <cstdio>

class QWindow;

namespace player::qt {

class WindowTrace final : public QObject {
    Q_OBJECT
  public:
    // Watches every window of the application; lines go to `out`, flushed at once.
    explicit WindowTrace(std::FILE* out, QObject* parent = nullptr);
    ~WindowTrace() override;

    void Line(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Exposed(QWindow* window);

    std::FILE* out_;
    QSet<QWindow*> exposed_;
};

}  // namespace player::qt
