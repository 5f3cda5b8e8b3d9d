// prjtool: a project's three files from the shell, through the station's own file work.
//   prjtool info NAME
//       NAME is any of the project's three names or a picture name. Prints
//         project <.JXW path>
//         machine <model> e<gauge>
//         lists P<n> N<n> Z<n> R<n> S<n> W<n> FS<n> FD<n> FE<n> C<n>
//         picture <width>x<height>      (picture none when the project has no picture file)
//         palette <32 colours as six hex digits, 0xBBGGRR>
//         header <values 32..63 in decimal>
//         strip <id> S<first> S<last> <name>   one per strip; name bytes outside printable ASCII
//                                              as \xNN
//   prjtool new OUT MODEL GAUGE WIDTH HEIGHT [PICTURE]
//       a new project as the station makes it (a side below 1 gives 100), saved as OUT; PICTURE,
//       when given, is loaded in place of the new green picture
//   prjtool copy IN OUT
//       opens IN as the station opens a project and saves it as OUT
// On an error the message goes to stderr, nothing is written, and the exit code is 1.

#include "ToolCatalog.h"
#include "app/UProjectFiles.h"
#include "model/UprojInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {
void Print(FILE* Stream, const QString& Line) {
    const QByteArray bytes = (Line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), Stream);
}

// An error: the text for stderr.
struct TFailure {
    QString Text;
};

[[noreturn]] void Fail(const QString& Text) {
    throw TFailure{Text};
}

const char* const UsageText = "usage: prjtool info NAME\n"
                              "       prjtool new OUT MODEL GAUGE WIDTH HEIGHT [PICTURE]\n"
                              "       prjtool copy IN OUT";

int Number(const QString& Text, const char* What) {
    bool ok = false;
    const int v = Text.toInt(&ok);
    if (!ok)
        Fail(QStringLiteral("%1 must be a number, not \"%2\"").arg(QLatin1String(What), Text));
    return v;
}

QString NameText(const MStrip& Strip) {
    QString text;
    for (char c : Strip.Name) {
        const auto b = std::uint8_t(c);
        if (b == 0)
            break;
        text += b >= 0x20 && b < 0x7F ? QString(QLatin1Char(char(b)))
                                      : QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return text;
}

void Info(const QString& Name) {
    const auto files = OpenProjectFiles(Name);
    const MProgramLists& lists = *files->Lists;
    Print(stdout, QStringLiteral("project ") + files->Names.HeaderFile);
    Print(stdout, QStringLiteral("machine %1 e%2").arg(lists.Machine.Model).arg(lists.Machine.Gauge));
    static const char* const kinds[] = {"P", "N", "Z", "R", "S", "W", "FS", "FD", "FE", "C"};
    QString line = QStringLiteral("lists");
    const MListSet set = files->Lists->Lists();
    for (std::size_t k = 0; k < set.size(); ++k)
        line += QStringLiteral(" %1%2").arg(QLatin1String(kinds[k])).arg(set[k]->Count());
    Print(stdout, line);
    const QFileInfo picture(files->Names.PictureFile);
    Print(stdout,
          picture.exists() || picture.isSymLink()
              ? QStringLiteral("picture %1x%2").arg(files->Picture.Width()).arg(files->Picture.Height())
              : QStringLiteral("picture none"));
    line = QStringLiteral("palette");
    for (TColor c : files->Palette.Colors)
        line += QStringLiteral(" %1").arg(c, 6, 16, QLatin1Char('0'));
    Print(stdout, line);
    line = QStringLiteral("header");
    for (int i = PaletteSize; i < MProjHeader::ValueCount; ++i)
        line += QStringLiteral(" %1").arg(files->Header.Values[std::size_t(i)]);
    Print(stdout, line);
    for (const MStrip& s : lists.Machine.Strips())
        Print(stdout,
              QStringLiteral("strip %1 S%2 S%3 %4").arg(s.Id).arg(s.FirstS).arg(s.LastS).arg(NameText(s)));
}

void New(const QStringList& Args) {
    const int model = Number(Args[1], "MODEL");
    const int gauge = Number(Args[2], "GAUGE");
    const int width = Number(Args[3], "WIDTH");
    const int height = Number(Args[4], "HEIGHT");
    if (SystemsOfModel(model) == 0)
        Fail(QStringLiteral("%1 is not a machine the station knows").arg(model));
    if (gauge < 2 || gauge > 15)
        Fail(QStringLiteral("the gauge must lie between 2 and 15, not %1").arg(gauge));
    auto files = NewProjectFiles(model, gauge, width, height);
    if (Args.size() > 5) {
        try {
            files->Picture = LoadProjectPicture(Args[5]);
        } catch (const Exception& e) {
            Fail(QStringLiteral("%1: %2").arg(Args[5], e.Message()));
        }
    }
    SaveProjectFiles(Args[0], *files);
}

void Copy(const QString& In, const QString& Out) {
    auto files = OpenProjectFiles(In);
    SaveProjectFiles(Out, *files);
}

void Run(const QStringList& Args) {
    const QString verb = Args.value(0);
    const QStringList rest = Args.mid(1);
    if (verb == QLatin1String("info") && rest.size() == 1)
        Info(rest[0]);
    else if (verb == QLatin1String("new") && (rest.size() == 5 || rest.size() == 6))
        New(rest);
    else if (verb == QLatin1String("copy") && rest.size() == 2)
        Copy(rest[0], rest[1]);
    else
        Fail(QString::fromLatin1(UsageText));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        Run(app.arguments().mid(1));
    } catch (const TFailure& f) {
        Print(stderr, QStringLiteral("prjtool: ") + f.Text);
        return 1;
    } catch (const EProjectFile& e) {
        Print(stderr, QStringLiteral("prjtool: ") +
                          (e.File.isEmpty() ? e.Reason : e.File + QStringLiteral(": ") + e.Reason));
        return 1;
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("prjtool: ") + ErrorText(e));
        return 1;
    }
    return 0;
}
