#include "model/UGtstTrace.h"

#include "model/UGtstEng.h"
#include "model/UProject.h"
#include "model/UseqTrace.h"

#include <array>
#include <map>

namespace gtsttrace {

QString ActionCounts(const MJacquardBed& Bed) {
    std::array<int, 4> counts{};
    for (int n = 1; n <= Bed.Width(); ++n) {
        const std::uint32_t v = Bed.GetNeedle(n);
        if (v >= nsKnit && v <= nsReceive)
            ++counts[std::size_t(v - nsKnit)];
    }
    return QStringLiteral("%1,%2,%3,%4").arg(counts[0]).arg(counts[1]).arg(counts[2]).arg(counts[3]);
}

QString StitchSummary(const MJacquardBed& Bed) {
    std::map<std::uint32_t, int> codes;
    int old = 0, moved = 0, dropped = 0, rear = 0;
    for (int n = 1; n <= Bed.Width(); ++n) {
        const std::uint32_t v = Bed.GetNeedle(n);
        ++codes[v & stCodeMask];
        old += (v & stOld) ? 1 : 0;
        moved += (v & stMovedMask) ? 1 : 0;
        dropped += (v & stDropped) ? 1 : 0;
        rear += (v & stRear) ? 1 : 0;
    }
    QStringList items;
    for (const auto& [code, count] : codes)
        items << QStringLiteral("%1x%2").arg(code).arg(count);
    return (items.isEmpty() ? QStringLiteral("-") : items.join(QLatin1Char('+'))) +
           QStringLiteral(";%1,%2,%3,%4").arg(old).arg(moved).arg(dropped).arg(rear);
}

QString RunLength(const MJacquardBed& Bed, bool Hex) {
    QStringList items;
    const auto text = [Hex](std::uint32_t v) {
        return Hex ? QStringLiteral("%1").arg(v, 6, 16, QLatin1Char('0')) : QString::number(v);
    };
    for (int n = 1; n <= Bed.Width();) {
        const std::uint32_t v = Bed.GetNeedle(n);
        int count = 1;
        while (n + count <= Bed.Width() && Bed.GetNeedle(n + count) == v)
            ++count;
        items << text(v) + QLatin1Char('*') + QString::number(count);
        n += count;
    }
    return items.isEmpty() ? QStringLiteral("-") : items.join(QLatin1Char(' '));
}

QString StepFields(const MGtestEngine& Engine) {
    const QString act =
        Engine.Sequencer.SystemExecuted
            ? ActionCounts(Engine.ActionBeds[0]) + QLatin1Char('/') + ActionCounts(Engine.ActionBeds[1])
            : QStringLiteral("-");
    QString course;
    if (Engine.StitchBeds[2].Width() > 0)
        course += QLatin1Char('F');
    if (Engine.StitchBeds[3].Width() > 0)
        course += QLatin1Char('R');
    if (course.isEmpty())
        course = QStringLiteral("-");
    return QStringLiteral("act=") + act + QStringLiteral(" stF=") + StitchSummary(Engine.StitchBeds[0]) +
           QStringLiteral(" stR=") + StitchSummary(Engine.StitchBeds[1]) + QStringLiteral(" dr=") +
           QString::number(Engine.DisplayRow) + QStringLiteral(" sf=") + QString::number(Engine.StitchFlag) +
           QStringLiteral(" course=") + course;
}

QString StepLine(const MGtestEngine& Engine, long long K, int Result) {
    return seqtrace::StepLine(Engine.Sequencer, K, Result) + QLatin1Char(' ') + StepFields(Engine);
}

QStringList BedLines(const MGtestEngine& Engine) {
    return {QStringLiteral("bed act F ") + RunLength(Engine.ActionBeds[0], false),
            QStringLiteral("bed act R ") + RunLength(Engine.ActionBeds[1], false),
            QStringLiteral("bed st F ") + RunLength(Engine.StitchBeds[0], true),
            QStringLiteral("bed st R ") + RunLength(Engine.StitchBeds[1], true)};
}

bool RunTrace(MGtestEngine& Engine, long long Steps, bool Beds,
              const std::function<void(const QString&)>& Emit) {
    MprogramSequencer& sequencer = Engine.Sequencer;
    sequencer.StepLimit = Steps;
    const int start = Engine.ResetTest();
    if (start == srStartFailed)
        return false;
    Emit(seqtrace::StartLine(sequencer, start));
    Emit(seqtrace::StartsLine(Engine.GetProject()->Program().C.GetC(1)));
    long long k = 0;
    while (!sequencer.Regs.Finished && k < Steps) {
        const int r = Engine.StepTest();
        Emit(StepLine(Engine, ++k, r));
        if (Beds)
            for (const QString& line : BedLines(Engine))
                Emit(line);
    }
    Emit(seqtrace::EndLine(sequencer, k));
    return true;
}

} // namespace gtsttrace
