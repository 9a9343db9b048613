#include "cmr/Verdict.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "log/DateTime.h"

namespace pelorin {
namespace {

// The value below which `share` of the values lie (nearest rank); the
// values are reordered.
double Percentile(LargeVector<float>& values, double share) {
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
  const auto at = values.begin() +
                  static_cast<std::ptrdiff_t>(std::clamp<std::size_t>(rank, 1, values.size()) - 1);
  std::nth_element(values.begin(), at, values.end());
  return *at;
}

// The median of small counts, by a tally of each count.
std::optional<double> MedianCount(const std::array<std::int64_t, 256>& tally, std::int64_t total) {
  if (total == 0) return std::nullopt;
  const std::int64_t rank = (total + 1) / 2;  // nearest rank
  std::int64_t seen = 0;
  for (std::size_t count = 0; count < tally.size(); ++count) {
    seen += tally[count];
    if (seen >= rank) return static_cast<double>(count);
  }
  return std::nullopt;
}

void MeasureCorrectionSpan(const LinkReport& link, LinkFigures& f) {
  for (std::size_t s = 0; s < 2; ++s) {
    const LinkSpan& span = link.Systems[s].Span;
    if (!span.First) continue;
    const double first = s == 0 ? *span.First : GlonassToGpsTime(*span.First);
    const double last = s == 0 ? *span.Last : GlonassToGpsTime(*span.Last);
    f.FirstCorrection = std::min(f.FirstCorrection.value_or(first), first);
    f.LastCorrection = std::max(f.LastCorrection.value_or(last), last);
  }
  if (f.FirstCorrection) {
    f.CorrectionSeconds =
        std::round((*f.LastCorrection - *f.FirstCorrection) * kSecondsPerDay * 1000) / 1000;
  }
}

void MeasureEpochs(const RoverEpochs& rover, const LinkLimits& limits, LinkFigures& f) {
  const LargeVector<RoverEpoch>& epochs = rover.Epochs;
  f.Epochs = static_cast<std::int64_t>(epochs.size());
  if (epochs.empty()) return;
  const auto [first, last] =
      std::minmax_element(epochs.begin(), epochs.end(),
                          [](const RoverEpoch& a, const RoverEpoch& b) { return a.Time < b.Time; });
  const double seconds = (last->Time - first->Time) * kSecondsPerDay;
  const double interval = epochs.size() > 1 ? seconds / static_cast<double>(epochs.size() - 1) : 1;
  f.SpanSeconds = std::round((seconds + interval) * 1000) / 1000;

  LargeVector<float> ages;
  ages.reserve(epochs.size());
  std::array<std::int64_t, 256> common{};
  std::int64_t usable = 0;
  for (const RoverEpoch& e : epochs) {
    if (!std::isfinite(e.CorrectionAge)) continue;
    ages.push_back(e.CorrectionAge);
    if (e.CorrectionAge > limits.MaxAgeSeconds) continue;
    ++usable;
    ++common[e.Common];
  }
  f.UsablePercent = 100.0 * static_cast<double>(usable) / static_cast<double>(epochs.size());
  f.CommonMedian = MedianCount(common, usable);
  if (ages.empty()) return;
  f.AgeMax = *std::max_element(ages.begin(), ages.end());
  f.AgeP95 = Percentile(ages, 0.95);
  f.AgeMedian = Percentile(ages, 0.5);
}

std::vector<BaseMove> ListBaseMoves(const LinkReport& link) {
  std::vector<BaseMove> moves;
  const std::vector<PositionChange>& p = link.PositionChanges;
  for (std::size_t k = 1; k < p.size(); ++k) {
    moves.push_back(
        {p[k].Time, std::hypot(p[k].X - p[k - 1].X, p[k].Y - p[k - 1].Y, p[k].Z - p[k - 1].Z)});
  }
  return moves;
}

// How badly a value misses its limit: `missedBy` is how far it lies on the
// wrong side (0 or less: the limit holds).
std::optional<VerdictGrade> Missed(double missedBy, double limit) {
  if (!(missedBy > 0)) return std::nullopt;
  return missedBy < kMarginalShare * limit ? VerdictGrade::Marginal : VerdictGrade::Poor;
}

}  // namespace

std::string_view GradeText(VerdictGrade grade) {
  switch (grade) {
    case VerdictGrade::Good:
      return "good";
    case VerdictGrade::Marginal:
      return "marginal";
    case VerdictGrade::Poor:
      return "poor";
    case VerdictGrade::NotEnoughData:
      return "not enough data";
  }
  return "poor";
}

LinkFigures MeasureFigures(const LinkReport& link, const RoverEpochs& rover,
                           const SolutionReport* solution, const LinkLimits& limits) {
  LinkFigures f;
  MeasureCorrectionSpan(link, f);
  MeasureEpochs(rover, limits, f);
  const std::vector<LinkGap> outages = CorrectionOutages(link);
  f.Outages = static_cast<std::int64_t>(outages.size());
  for (const LinkGap& gap : outages) {
    if (!f.LongestOutage || gap.Seconds > f.LongestOutage->Seconds) f.LongestOutage = gap;
  }
  f.BadFrames = link.Integrity.BadFrames + link.Integrity.BadPages;
  f.Stations = static_cast<std::int64_t>(link.Stations.size());
  if (solution && solution->Epochs > 0) f.FixedPercent = solution->FixedPercent;
  f.BaseMoves = ListBaseMoves(link);
  return f;
}

Verdict JudgeLink(const LinkFigures& f, const LinkLimits& limits) {
  Verdict verdict;
  verdict.Limits = limits;
  verdict.Figures = f;
  if (!f.FirstCorrection || f.CorrectionSeconds < kShortestJudgedSeconds || f.Epochs == 0) {
    return verdict;
  }
  const auto add = [&verdict](VerdictCheck check, std::optional<VerdictGrade> grade, double value,
                              double limit, std::optional<double> at = std::nullopt) {
    if (grade) verdict.Reasons.push_back({check, *grade, value, limit, at});
  };
  const double usable = f.UsablePercent.value_or(0);
  add(VerdictCheck::Available,
      Missed(limits.MinAvailablePercent - usable, limits.MinAvailablePercent), usable,
      limits.MinAvailablePercent);
  if (f.LongestOutage) {
    const double seconds = static_cast<double>(f.LongestOutage->Seconds);
    add(VerdictCheck::Outage, Missed(seconds - limits.MaxOutageSeconds, limits.MaxOutageSeconds),
        seconds, limits.MaxOutageSeconds, f.LongestOutage->Start);
  }
  if (f.CommonMedian) {
    const double limit = limits.MinCommonSatellites;
    add(VerdictCheck::Common, Missed(limit - *f.CommonMedian, limit), *f.CommonMedian, limit);
  }
  // Every coordinate measured from a base that moved moved with it.
  for (const BaseMove& move : f.BaseMoves) {
    add(VerdictCheck::BaseMoved, VerdictGrade::Poor, move.Metres, 0, move.Time);
  }
  verdict.Grade = VerdictGrade::Good;
  for (const VerdictReason& r : verdict.Reasons) {
    if (r.Grade == VerdictGrade::Poor || verdict.Grade == VerdictGrade::Good)
      verdict.Grade = r.Grade;
  }
  return verdict;
}

}  // namespace pelorin
