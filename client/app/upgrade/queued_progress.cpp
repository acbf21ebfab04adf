#include "client/app/upgrade/queued_progress.h"

#include <QMetaObject>

namespace clientapp {

void QueuedProgress::SetProgressPosition(int percent) {
    QProgressBar* bar = bar_;
    QMetaObject::invokeMethod(
        bar, [bar, percent] { bar->setValue(percent); }, Qt::QueuedConnection);
}

}  // namespace clientapp
