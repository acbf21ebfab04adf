// The progress of a transfer, reported on its worker thread, shown by a progress bar on the GUI
// thread: each position is posted to the bar, never set from the worker. The bar must outlive the
// transfer (its owner ends the transfer first).
#pragma once

#include <QProgressBar>

#include "client/net/sinks.h"

namespace clientapp {

class QueuedProgress final : public client::ProgressView {
  public:
    explicit QueuedProgress(QProgressBar* bar) : bar_(bar) {}
    void SetProgressText(std::string_view) override {}
    void SetProgressPosition(int percent) override;

  private:
    QProgressBar* bar_;
};

}  // namespace clientapp
