#include "messaging/Progress.h"

#include <utility>

namespace mapi {

namespace {
ProgressSink* installed = nullptr;
}  // namespace

ProgressSink* installProgressSink(ProgressSink* sink) {
    return std::exchange(installed, sink);
}

ProgressTask::ProgressTask(QString title) : title_(std::move(title)) {}

ProgressTask::~ProgressTask() {
    if (started_ && installed) installed->finish();
}

bool ProgressTask::step(qint64 done, qint64 total) {
    if (!installed) return true;
    started_ = true;
    return installed->step(title_, done, total);
}

}  // namespace mapi
