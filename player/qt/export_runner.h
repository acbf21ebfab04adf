// Runs a clip export or an evidence export of the open recording on a worker thread: builds the
// clip plan, writes the clip (or the evidence folder), reports progress in thousandths and can be
// cancelled; the end comes back to the window through a queued call.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "export/clip_export.h"

namespace player::qt {

struct ExportOrder {
    std::string recording;        // the ".idx" or ".umv" that is open
    int channel = 0;              // 0..15
    std::optional<int64_t> from;  // wall times; none: the whole recording
    std::optional<int64_t> to;
    std::string out;  // the clip (".mp4"/".mkv") or the evidence folder
    bool evidence = false;
    std::string program;  // program and version, for the evidence manifest
};

class ExportRunner : public QObject {
    Q_OBJECT
  public:
    explicit ExportRunner(QObject* parent = nullptr);
    ~ExportRunner() override;

    // False when an export is still running.
    bool Start(const ExportOrder& order);
    // Asks the running export to stop; it then leaves nothing behind.
    void Cancel() { cancel_ = true; }
    bool running() const { return worker_.joinable(); }
    // The result of the export that ended last.
    const exporter::ExportResult& result() const { return result_; }

  signals:
    void progressed(int thousandths);
    void finished();

  private:
    void Run(ExportOrder order);
    void Done();

    std::atomic<bool> cancel_{false};
    std::thread worker_;
    exporter::ExportResult working_;  // written by the worker, read after it signalled the end
    exporter::ExportResult result_;
};

}  // namespace player::qt
