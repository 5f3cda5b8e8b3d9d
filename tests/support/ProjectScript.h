#pragma once
// Builds an in-memory project from a few readable lines, so that a test states a whole program (and
// its picture) the way a designer would read it. One entry per line; "#" starts a comment.
//
//   machine 740 7                     model and gauge (cam systems follow the model)
//   C W=200 WE=2 picture=50x20        C entry 1: W=n needle area 1 as 1..1+n (area<k>=from..to for
//                                     any area), WE, ST, LB, WA, TZ, Time, X1, Y1, picture=WxH,
//                                     L<k>=.. and R<k>=.. offset table k (8 values), FT=2,3 the FT
//                                     flags of carrier records 2 and 3, FF<k>=n, start<k>=..
//   S1 Z=1+1 D2 N=1+0 P=0+0 offset=1  an S line over Z rows 1..2 (cycle=first+count for an S cycle)
//   N1 X=1+49 D1                      an X part (N=first+count for a reference), counter D, W or R
//   R1 D3 offsets=1,0,0               an R entry with its counter and offsets
//   W5 levels=1,2,3,4,5,6,7,8         a selector switch
//   P1 mode=0 yc=1,2 L=10 R=50 dir=>  a carrier position (clrL=.., clrR=.. palette indexes)
//   FS1 A=D10,W3 B=D5                 static stitch lengths, counters per bed
//   Z1 cam1=A ZT1=3 yc1=1,2 LG1=0,1   a Z row: per slot (1..8) cam, ZT, LG, KNF, tying; per system
//                                     (1..4) yc, ycv, net (the code: 64 "*", 22 "B2"), netv (1: the
//                                     net rear acts on the front); rack<k>=HV[:G|U1|U2], FSF, FSR, FD, PA,
//                                     ST, TZ, PR, JV, WA2, WA2step
//   picture                           the drawing as rows of palette indexes, top row first, up
//   0 1 1 0                           to the next line that starts with a letter
//   picture 2000x2000 fill=3          or a picture of one colour
//
// Ranges are first+count or first-count (the signed count of the S and N ranges); a bare number is
// a count of 0. Entries are stored without validation, so a test may state a faulty program. A
// line that cannot be read raises std::invalid_argument naming the line.

#include "model/UProject.h"

#include <QString>

#include <memory>

namespace kdstest {
void LoadProjectScript(MMemoryProject& Project, const QString& Script);
std::unique_ptr<MMemoryProject> BuildProject(const QString& Script);
} // namespace kdstest
