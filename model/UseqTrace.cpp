#include "model/UseqTrace.h"

#include "model/UProject.h"
#include "model/Usequencer.h"

#include <QStringList>

#include <initializer_list>
#include <utility>

namespace seqtrace {
namespace {
QString Flag(bool Value) {
    return Value ? QStringLiteral("1") : QStringLiteral("0");
}

QString Needle(const MYcPosition& Record, int Width) {
    return QString::number(MYcData::DecodePosition(Record, Width));
}

// Each carrier in use, carrier by carrier and rail 1 before rail 2.
template <typename Item>
QString EachCarrier(const MRegisters& Regs, Item Text) {
    QStringList items;
    for (int c = 1; c <= CarriersPerRail; ++c)
        for (int r = 1; r <= RailCount; ++r) {
            const MYcData& y = (r == 1 ? Regs.Rail1 : Regs.Rail2)[std::size_t(c - 1)];
            if (y.InUse())
                items << QStringLiteral("%1.%2:").arg(c).arg(r) + Text(y);
        }
    return items.isEmpty() ? QStringLiteral("-") : items.join(QLatin1Char(','));
}

// A line of key=value fields after its head; values are taken as they are (no placeholders).
QString Fields(const QString& Head, std::initializer_list<std::pair<const char*, QString>> Values) {
    QString line = Head;
    for (const auto& [key, value] : Values)
        line += QLatin1Char(' ') + QLatin1String(key) + QLatin1Char('=') + value;
    return line;
}

QString CurrentText(const MPTerror& Finding) {
    return Finding.ErrorId == 0 ? QStringLiteral("-") : FindingText(Finding);
}
} // namespace

QString FindingText(const MPTerror& Finding) {
    return QString::number(Finding.ErrorId) + QLatin1Char(':') + Finding.Args + QLatin1Char(':') +
           QString::number(Finding.ListKind) + QLatin1Char(':') + QString::number(Finding.Number);
}

QString LogText(const MprogramSequencer& Sequencer) {
    QStringList items;
    for (const MRunFinding& f : Sequencer.Findings())
        items << (f.Held ? QStringLiteral("~") : QString()) + FindingText(f.Finding);
    if (Sequencer.FindingsDropped() > 0)
        items << QStringLiteral("+%1").arg(Sequencer.FindingsDropped());
    return items.isEmpty() ? QStringLiteral("-") : items.join(QLatin1Char(','));
}

QString CarriersText(const MprogramSequencer& Sequencer) {
    const int w = Sequencer.Width;
    return EachCarrier(Sequencer.Regs, [w](const MYcData& y) {
        return Needle(y.Previous, w) + QLatin1Char('>') + Needle(y.Current, w) +
               (y.Selected ? QStringLiteral("*") : QString());
    });
}

QString MachineLine(const MprogramSequencer& Sequencer) {
    MProject* project = Sequencer.GetProject();
    const MMachineInfo* machine = project ? &project->Program().Machine : nullptr;
    MPatternSource* pattern = project ? project->Pattern() : nullptr;
    return QStringLiteral("machine %1 e%2 systems %3 width %4 picture %5x%6")
        .arg(machine ? machine->Model : 0)
        .arg(machine ? machine->Gauge : 0)
        .arg(Sequencer.SystemsCount())
        .arg(Sequencer.Width)
        .arg(pattern ? pattern->ImageWidth() : 0)
        .arg(pattern ? pattern->ImageHeight() : 0);
}

QString StartLine(const MprogramSequencer& Sequencer, int Result) {
    const MRegisters& regs = Sequencer.Regs;
    const int w = Sequencer.Width;
    return Fields(QStringLiteral("start"),
                  {{"res", QString::number(Result)},
                   {"fin", Flag(regs.Finished)},
                   {"rows", QString::number(regs.StepCount)},
                   {"settle", QString::number(Sequencer.SettleSteps)},
                   {"yc", EachCarrier(regs, [w](const MYcData& y) { return Needle(y.Current, w); })},
                   {"f", LogText(Sequencer)},
                   {"cur", CurrentText(regs.Error)}});
}

QString StartsLine(const MUnvC& C) {
    QStringList items;
    for (int c = 1; c <= CarriersPerRail; ++c) {
        const auto& positions = C.CarrierStarts[std::size_t(c - 1)].Positions;
        bool any = false;
        QStringList values;
        for (const std::int32_t p : positions) {
            any = any || p != 0;
            values << QString::number(p);
        }
        if (any)
            items << QStringLiteral("%1:").arg(c) + values.join(QLatin1Char(','));
    }
    return QStringLiteral("starts ") + (items.isEmpty() ? QStringLiteral("-") : items.join(QLatin1Char(' ')));
}

QString StepLine(const MprogramSequencer& Sequencer, long long K, int Result) {
    const MRegisters& regs = Sequencer.Regs;
    QString flags;
    if (regs.PrevNewS)
        flags += QLatin1Char('S');
    if (regs.PrevNewZ)
        flags += QLatin1Char('Z');
    if (regs.PrevRepeatR)
        flags += QLatin1Char('R');
    QString zt = QStringLiteral("-"), cam = zt, ff = zt, rk = zt, mode = zt;
    if (Sequencer.SystemExecuted) {
        const int s = regs.PrevSystem;
        const std::size_t front = std::size_t(2 * (s - 1));
        const MUnvZ& row = regs.Row;
        zt = QStringLiteral("%1,%2").arg(row.PatternLine[front]).arg(row.PatternLine[front + 1]);
        cam = QStringLiteral("%1,%2").arg(row.CamCode[front]).arg(row.CamCode[front + 1]);
        const MffMap& set = row.Carriers[std::size_t(s - 1)];
        QString digits;
        for (int c = 0; c < CarriersPerRail; ++c)
            if (set.IsSet(c))
                digits += QString::number(c + 1);
        ff =
            (digits.isEmpty() ? QStringLiteral("-") : digits) + QLatin1Char('/') + QString::number(set.Value);
        rk = QStringLiteral("%1,%2").arg(row.Racking[0].Position).arg(row.Racking[0].Transfer);
        mode = QString::number(Sequencer.ExecutedMode);
    }
    return Fields(QStringLiteral("step ") + QString::number(K),
                  {{"res", QString::number(Result)},
                   {"exec", Flag(Sequencer.SystemExecuted)},
                   {"mode", mode},
                   {"s", QString::number(regs.PrevSLine)},
                   {"bp", QString::number(regs.PrevBlockRepeat)},
                   {"cp", QString::number(regs.PrevCycleRepeat)},
                   {"z", QString::number(regs.PrevZRow)},
                   {"sys", QString::number(regs.PrevSystem)},
                   {"new", flags.isEmpty() ? QStringLiteral("-") : flags},
                   {"rows", QString::number(regs.StepCount)},
                   {"fin", Flag(regs.Finished)},
                   {"zt", zt},
                   {"cam", cam},
                   {"ff", ff},
                   {"rk", rk},
                   {"yc", CarriersText(Sequencer)},
                   {"f", LogText(Sequencer)},
                   {"cur", CurrentText(regs.Error)}});
}

QString EndLine(const MprogramSequencer& Sequencer, long long K) {
    return QStringLiteral("end %1 steps=%2 rows=%3")
        .arg(Sequencer.Regs.Finished ? QStringLiteral("finished") : QStringLiteral("limit"))
        .arg(K)
        .arg(Sequencer.Regs.StepCount);
}

} // namespace seqtrace
