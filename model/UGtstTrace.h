#pragma once
// The text of the stitch simulation's beds as `lsttool run` prints it after every step and the tests
// compare it: ASCII, identical on every run. The interpreter's step line (UseqTrace) ends with
//
//   act=<k>,<t>,<o>,<n>/<k>,<t>,<o>,<n> stF=<stitches> stR=<stitches> dr=<row> sf=<0|1> course=<sides>
//   bed act F <value>*<count> ...      (and "bed act R", "bed st F", "bed st R")
//
// act: the needles of the front, then the rear action bed in states knit, tuck, transfer out and
// receive ("-" when the step ran no system). stF, stR: the stitch beds, each code (bits 0..7) with its
// needle count as <code>x<count> joined by "+" ("-" for a bed without needles), then ";" and the
// needles that are old, moved, dropped and knitted on the rear, joined by ",". course: the sides
// whose course copy the step took (F, R, FR or -). The bed lines code a whole bed in runs of equal
// values: action states in decimal, stitch words as six lower-case hexadecimal digits ("-" for a bed
// without needles).

#include <QString>
#include <QStringList>

#include <functional>

class MGtestEngine;
class MJacquardBed;

namespace gtsttrace {

// The fields the engine adds to a step line, after the step.
QString StepFields(const MGtestEngine& Engine);
// The interpreter's "step" line of the K-th step, which returned Result, with the engine's fields.
QString StepLine(const MGtestEngine& Engine, long long K, int Result);
// The four bed lines after the step.
QStringList BedLines(const MGtestEngine& Engine);
// Restarts the engine and runs it, handing each line of the trace to Emit as it is made: the start
// and starts lines, a step line per step (followed by the bed lines when Beds) until the run is
// finished or Steps steps were made (the step limit of the interpreter as well), and the end line.
// The engine needs a project. False, with nothing emitted, when the start failed.
bool RunTrace(MGtestEngine& Engine, long long Steps, bool Beds,
              const std::function<void(const QString&)>& Emit);

// "<k>,<t>,<o>,<n>" of one action bed.
QString ActionCounts(const MJacquardBed& Bed);
// "<code>x<count>+...;<old>,<moved>,<dropped>,<rear>" of one stitch bed.
QString StitchSummary(const MJacquardBed& Bed);
// A bed in runs of equal values: decimal, or six hexadecimal digits when Hex.
QString RunLength(const MJacquardBed& Bed, bool Hex);

} // namespace gtsttrace
