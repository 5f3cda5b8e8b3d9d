// lsttool: drives the machine program file model from the shell.
//   lsttool list FILE        the machine, then the listing of every module, list by list
//   lsttool copy IN OUT      reads IN and writes OUT through the writer
//   lsttool validate FILE    one line per module that fails validation
// A file that cannot be read is reported on stderr; nothing is written and the exit code is 1.

#include "model/UcstmExp.h"
#include "model/UunvDta.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {
void Print(FILE* Stream, const QString& Line) {
    const QByteArray bytes = (Line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), Stream);
}

int Usage() {
    Print(stderr, QStringLiteral("usage: lsttool list FILE | copy IN OUT | validate FILE"));
    return 2;
}

void List(MProgramLists& Program) {
    Print(stdout, QStringLiteral("machine %1 e%2").arg(Program.Machine.Model).arg(Program.Machine.Gauge));
    for (MUnvList* list : Program.Lists())
        for (int i = 0; i < list->Count(); ++i) {
            QStringList lines = list->ItemAt(i).ListingLine().split(QStringLiteral("\r\n"));
            while (lines.size() > 1 && lines.last().isEmpty())
                lines.removeLast();
            for (const QString& line : lines)
                Print(stdout, line);
        }
}

void Validate(MProgramLists& Program) {
    for (MUnvList* list : Program.Lists())
        for (int i = 0; i < list->Count(); ++i) {
            const MUnvBase& m = list->ItemAt(i);
            try {
                m.Validate();
            } catch (const MException& e) {
                Print(stdout, QStringLiteral("%1 %2 %3/%4")
                                  .arg(KindLetters(list->Kind))
                                  .arg(m.Number)
                                  .arg(e.Code)
                                  .arg(e.SubCode));
            }
        }
}

int Run(const QStringList& Args) {
    if (Args.size() < 2)
        return Usage();
    const QString& command = Args[0];
    const bool copy = command == QLatin1String("copy");
    if (!copy && command != QLatin1String("list") && command != QLatin1String("validate"))
        return Usage();
    if (Args.size() != (copy ? 3 : 2))
        return Usage();
    MProgramLists program;
    LoadMachineFile(Args[1], program.Machine, program.Lists());
    if (copy)
        SaveMachineFile(Args[2], program.Machine, program.Lists());
    else if (command == QLatin1String("list"))
        List(program);
    else
        Validate(program);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    try {
        return Run(args);
    } catch (const Exception& e) {
        Print(stderr, e.Message());
    } catch (const std::exception& e) {
        Print(stderr, QString::fromUtf8(e.what()));
    }
    return 1;
}
