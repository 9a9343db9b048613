#pragma once
// Runs the analysis of a log on a thread of its own, so that the window's
// event loop goes on: the window shows its progress, can ask it to stop, and
// shows each message it raises while the analysis waits for the message to
// be dismissed. The result reaches the window only when the analysis ends.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>

#include "cmr/Analysis.h"
#include "platform/Toolkit.h"

class QThread;

namespace pelorin {

class AnalysisRunner : public QObject {
  Q_OBJECT

public:
  // Messages are shown through `toolkit`, on the window's thread.
  explicit AnalysisRunner(Toolkit& toolkit, QObject* parent = nullptr);
  // An analysis still running is stopped and waited for.
  ~AnalysisRunner() override;

  void Start(AnalysisRequest request);
  bool Running() const { return thread_ != nullptr; }
  // Asks the running analysis to stop; it does at its next checkpoint.
  void Stop() { stopRequested_ = true; }

  struct Progress {
    AnalysisStage Stage = AnalysisStage::ReadingLog;
    std::uint64_t Done = 0;
    std::uint64_t Total = 0;
  };
  // How far the running analysis is.
  Progress Current() const;

  // The result of the analysis that finished; an exception that escaped it
  // is thrown here, on the window's thread.
  AnalysisResult TakeResult();

signals:
  // On the window's thread, once the analysis has ended, however it ended.
  void Finished();

private:
  class Observer;
  void Run(const AnalysisRequest& request);
  void Ended();
  // Shows `message` on the window's thread and returns once it is
  // dismissed, or once the analysis is asked to stop.
  void ShowAndWait(const ShownMessage& message);

  Toolkit& toolkit_;
  QThread* thread_ = nullptr;
  std::atomic<bool> stopRequested_ = false;
  std::atomic<int> stage_ = 0;
  std::atomic<std::uint64_t> done_ = 0;
  std::atomic<std::uint64_t> total_ = 0;
  AnalysisResult result_;
  std::exception_ptr failure_;
};

}  // namespace pelorin
