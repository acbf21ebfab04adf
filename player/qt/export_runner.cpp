#include "player/qt/export_runner.h"

namespace player::qt {

ExportRunner::ExportRunner(QObject* parent) : QObject(parent) {}

ExportRunner::~ExportRunner() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

bool ExportRunner::Start(const ExportOrder& order) {
    if (worker_.joinable()) return false;
    cancel_ = false;
    working_ = {};
    worker_ = std::thread([this, order] { Run(order); });
    return true;
}

void ExportRunner::Run(ExportOrder order) {
    exporter::ClipPlan plan;
    exporter::ClipRequest request;
    request.path = order.recording;
    request.channel = order.channel;
    request.from = order.from;
    request.to = order.to;
    if (!plan.Build(request, &working_.error)) {
        QMetaObject::invokeMethod(this, &ExportRunner::Done, Qt::QueuedConnection);
        return;
    }
    int shown = -1;
    exporter::ExportCallbacks callbacks;
    callbacks.progress = [this, &shown](uint64_t done, uint64_t total) {
        const int thousandths = total == 0 ? 0 : static_cast<int>(done * 1000 / total);
        if (thousandths == shown) return;
        shown = thousandths;
        emit progressed(thousandths);  // queued: the receivers live on the GUI thread
    };
    callbacks.cancelled = [this] { return cancel_.load(); };
    working_ = order.evidence ? exporter::ExportEvidence(plan, order.out, order.program, callbacks)
                              : exporter::ExportClip(plan, order.out, callbacks);
    QMetaObject::invokeMethod(this, &ExportRunner::Done, Qt::QueuedConnection);
}

void ExportRunner::Done() {
    if (worker_.joinable()) worker_.join();
    result_ = std::move(working_);
    emit finished();
}

}  // namespace player::qt
