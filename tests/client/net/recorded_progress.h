// A progress view for tests: remembers every position it is given, and can act on the first one
// or on each one (from the transfer's worker thread).
#pragma once

#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "client/net/sinks.h"

namespace nettest {

class RecordedProgress : public client::ProgressView {
  public:
    std::function<void(int)> onFirst;
    std::function<void(int)> onEach;

    void SetProgressText(std::string_view) override {}
    void SetProgressPosition(int percent) override {
        std::lock_guard lock(mutex_);
        positions_.push_back(percent);
        if (positions_.size() == 1 && onFirst) onFirst(percent);
        if (onEach) onEach(percent);
    }
    std::vector<int> positions() {
        std::lock_guard lock(mutex_);
        return positions_;
    }

  private:
    std::mutex mutex_;
    std::vector<int> positions_;
};

}  // namespace nettest
