#pragma once
// The message catalogue "Dta\sysmsg.dta": every numbered message the station shows, in each
// language. One line per message, fields separated by ";": language, code, subcode, caption, text.
// "%" in a text is an argument slot filled from the ";"-separated arguments, "@" a line break.
// It holds no widget and has a target of its own (ui_catalog, QtCore only): the message box,
// the program-test window and lsttool use it.

#include <QByteArray>
#include <QString>

#include <vector>

// One usable line of the catalogue.
struct MCatalogMessage {
    int Language = 0;
    int Code = 0;
    int SubCode = 0;
    QString Caption;
    QString Text;
};

class MMessageCatalog {
public:
    // The language number of the Arabic texts.
    static constexpr int ArabicLanguage = 0;
    // A catalogue larger than this is not read (it cannot be one of ours).
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Reads the whole file; a missing, unreadable or oversized file leaves the catalogue empty
    // and answers false.
    bool LoadMessageFile(const QString& FileName);
    // Takes the catalogue from the stored bytes: UTF-8, or Windows-1256 when they are not valid
    // UTF-8.
    void LoadFromBytes(const QByteArray& Bytes);
    // Takes the catalogue from text; a line ends at CR, LF or CR LF.
    void LoadFromText(const QString& Text);
    void Clear() { FMessages.clear(); }

    // The usable lines, in file order.
    const std::vector<MCatalogMessage>& Messages() const { return FMessages; }

    // The first line of that language, code and subcode; false when there is none.
    bool FindMessage(int Language, int Code, int SubCode, QString& Caption, QString& Text) const;

    // The text and caption of a message as shown: code 100 always takes subcode 1; a message
    // missing in that language gets the missing-message text and an empty caption; then the
    // argument slots are filled and "@" becomes a line break (CR LF). With IsolateArguments an Arabic text
    // holds each argument apart (see FillArguments), for a text that is shown on the screen. Never raises.
    void LookupMessage(int Language, int Code, int SubCode, const QString& Args, QString& Text,
                       QString& Caption, bool IsolateArguments = false) const;

    // A catalogue line split into its fields (trimmed of blanks and control characters); false
    // for a line that can never match: fewer than four fields, or language, code or subcode not a
    // decimal integer. Fields after the text are ignored.
    static bool ParseLine(const QString& Line, MCatalogMessage& Message);
    // "Error Code:<Code>  SubCode:<SubCode>"
    static QString MissingMessageText(int Code, int SubCode);
    // Fills the "%" slots: slot i takes argument i; a slot without an argument is dropped together
    // with the text before it; the first surplus argument is appended. Blanks next to a slot and
    // around an argument are dropped. A text with no slot is left unchanged. Isolated, every argument
    // put in is enclosed in a directional isolate, so that the text's reading order cannot carry it
    // off: a path (an argument holding "/") reads left to right (LRI ... PDI), anything else in the
    // direction of its first letter (FSI ... PDI). Capital Latin letters written against a slot as a
    // word of their own (the kind of an entry, "Z" in "Z%") go into the isolate with the argument.
    static QString FillArguments(const QString& Text, const QString& Args, bool Isolate = false);
    // Turns every "@" into CR LF, dropping the blanks around it.
    static QString BreakLines(const QString& Text);

private:
    std::vector<MCatalogMessage> FMessages;
};
