#include "windows/AnalysisRunner.h"

#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <utility>

#include "views/AnalysisView.h"

namespace pelorin {
namespace {

// How long the analysis waits for a message box at a time before it looks
// whether it was asked to stop meanwhile.
constexpr int kStopPollMs = 50;

}  // namespace

// The analysis' side: progress into atomics the window reads when it likes,
// messages over to the window's thread.
class AnalysisRunner::Observer : public AnalysisObserver {
public:
  explicit Observer(AnalysisRunner& runner) : runner_(runner) {}
  void Show(const ShownMessage& message) override { runner_.ShowAndWait(message); }
  void Advance(AnalysisStage stage, std::uint64_t done, std::uint64_t total) override {
    runner_.stage_ = static_cast<int>(stage);
    runner_.done_ = done;
    runner_.total_ = total;
  }
  bool StopRequested() const override { return runner_.stopRequested_; }

private:
  AnalysisRunner& runner_;
};

AnalysisRunner::AnalysisRunner(Toolkit& toolkit, QObject* parent)
    : QObject(parent), toolkit_(toolkit) {}

AnalysisRunner::~AnalysisRunner() {
  if (!thread_) return;
  stopRequested_ = true;
  thread_->wait();
  delete thread_;
}

void AnalysisRunner::Start(AnalysisRequest request) {
  if (thread_) return;
  stopRequested_ = false;
  stage_ = static_cast<int>(AnalysisStage::ReadingLog);
  done_ = 0;
  total_ = 0;
  failure_ = nullptr;
  thread_ = QThread::create([this, request = std::move(request)] { Run(request); });
  connect(thread_, &QThread::finished, this, &AnalysisRunner::Ended);
  thread_->start();
}

void AnalysisRunner::Run(const AnalysisRequest& request) {
  Observer observer(*this);
  try {
    result_ = Analyse(request, observer);
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void AnalysisRunner::Ended() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  emit Finished();
}

AnalysisRunner::Progress AnalysisRunner::Current() const {
  return {static_cast<AnalysisStage>(stage_.load()), done_.load(), total_.load()};
}

AnalysisResult AnalysisRunner::TakeResult() {
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  return std::exchange(result_, {});
}

void AnalysisRunner::ShowAndWait(const ShownMessage& message) {
  auto dismissed = std::make_shared<QSemaphore>();
  const QPointer<AnalysisRunner> runner(this);
  QMetaObject::invokeMethod(
      this,
      [runner, message, dismissed] {
        if (runner && !runner->stopRequested_) ShowAnalysisMessage(message, runner->toolkit_);
        dismissed->release();
      },
      Qt::QueuedConnection);
  while (!dismissed->tryAcquire(1, kStopPollMs)) {
    if (stopRequested_) return;
  }
}

}  // namespace pelorin
