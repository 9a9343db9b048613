#pragma once
// Labels of the chart axes: where they go and, on the time axes, what they
// read. Time values are date-times in days from 1899-12-30, on the clock of
// the log (GPS or GLONASS time); no time zone ever enters.

#include <string>
#include <vector>

namespace pelorin {

// " YY/MM/DD hh:mm:ss  ": two-digit year, month, day, hour, minute, second,
// one blank before and two after. Empty for a value no calendar can show.
std::string DateTimeLabel(double days);

enum class TimeSteps {
  // Whole seconds, minutes, hours and days: 1, 2, 5, 10, 15, 30 s, 1 min, ...
  DateTimeUnits,
  // Round numbers of days (1, 2 or 5 times a power of ten), as a plain
  // number axis would step.
  DecimalDays,
};

// The step between labels of a time axis spanning `spanDays`, so that no more
// than `maxLabels` labels fall on it. A desired increment above 0 is kept
// when the labels fit, and otherwise multiplied by 2, 5, 10, 20, ... until
// they do.
double TimeLabelStep(double spanDays, double desiredIncrementDays, int maxLabels, TimeSteps steps);

// The same for a value axis: the desired increment or a multiple of it, or
// without one a round number.
double ValueLabelStep(double span, double desiredIncrement, int maxLabels);

// The multiples of `step` from `lower` to `upper`, bounds included; none for
// a step that would give an unreasonable number of them.
std::vector<double> LabelPositions(double lower, double upper, double step);

}  // namespace pelorin
