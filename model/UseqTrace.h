#pragma once
// The text trace of an interpreter run, one line per start and per step, as `lsttool run` prints it
// and the tests compare it: ASCII, numbers in decimal, identical on every run.
//
//   machine <model> e<gauge> systems <n> width <W> picture <w>x<h>
//   start res=<r> fin=<0|1> rows=<n> settle=<steps> yc=<carriers> f=<findings> cur=<finding>
//   starts <c>:<p1>,..,<p8> ...
//   step <k> res=<r> exec=<0|1> mode=<m> s=<S> bp=<b> cp=<c> z=<Z> sys=<s> new=<SZR> rows=<n>
//        fin=<0|1> zt=<f>,<r> cam=<f>,<r> ff=<carriers>/<offset> rk=<position>,<transfer>
//        yc=<carriers> f=<findings> cur=<finding>                      (one line)
//   end <finished|limit> steps=<k> rows=<n>

#include <QString>

class MprogramSequencer;
class MPTerror;
class MUnvC;

namespace seqtrace {

// "machine ..." of the attached project (picture 0x0 without a drawing).
QString MachineLine(const MprogramSequencer& Sequencer);
// "start ..." after StartProgram returned Result: the carriers in use as <c>.<r>:<needle>.
QString StartLine(const MprogramSequencer& Sequencer, int Result);
// "starts ..." of the start records of a setup scheme that hold a non-zero position; "starts -".
QString StartsLine(const MUnvC& C);
// "step ..." after the K-th StepSystem returned Result.
QString StepLine(const MprogramSequencer& Sequencer, long long K, int Result);
// "end ..." after K steps.
QString EndLine(const MprogramSequencer& Sequencer, long long K);

// One finding as <id>:<args>:<kind>:<number>.
QString FindingText(const MPTerror& Finding);
// The findings logged by the last call: "~" before a held one, joined by ",", then ",+<n>" for
// those only counted; "-" when none.
QString LogText(const MprogramSequencer& Sequencer);
// Every carrier in use, carrier by carrier and rail 1 before rail 2, as
// <c>.<r>:<previous>><current> with "*" when selected ("-" when none).
QString CarriersText(const MprogramSequencer& Sequencer);

} // namespace seqtrace
