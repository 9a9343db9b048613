#pragma once
// How far an analysis is, and whether the user asked it to stop. The sweep
// over the log and the passes over the CMR stream report to it as they go;
// the window shows a progress bar from it and asks for the stop.

#include <cstdint>

namespace pelorin {

// The parts of an analysis, in the order they run.
enum class AnalysisStage {
  ReadingLog,      // bytes of the log read
  IndexingStream,  // bytes of the CMR stream searched for frames
  Passes,          // bytes of the CMR stream walked by the passes; the
                   // rover's tracked satellites become points beside them
  LinkReport,      // messages and epochs measured for the link report
};

class AnalysisProgress {
public:
  virtual ~AnalysisProgress() = default;
  // `done` of `total` units of `stage` are behind.
  virtual void Advance(AnalysisStage stage, std::uint64_t done, std::uint64_t total) = 0;
  // Whether the user asked the analysis to stop.
  virtual bool StopRequested() const = 0;
};

// Thrown where an analysis finds that it was asked to stop; caught where the
// analysis began, which then leaves nothing of it behind.
struct AnalysisStopRequested {};

// Tells `progress` how far the analysis is and stops it when asked to. An
// analysis without a progress (nullptr) runs to its end.
inline void Checkpoint(AnalysisProgress* progress, AnalysisStage stage, std::uint64_t done,
                       std::uint64_t total) {
  if (!progress) return;
  progress->Advance(stage, done, total);
  if (progress->StopRequested()) throw AnalysisStopRequested{};
}

}  // namespace pelorin
