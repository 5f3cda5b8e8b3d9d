#pragma once
// String helpers for separated texts and fixed-width numbers, shared by the message box, the
// module listings and the file-type routines. Character positions are 1-based.

#include <QString>
#include <QStringList>

// Takes the next token of S from position Pos (1-based) up to the separator or the end, trimmed of
// blanks and control characters; Pos moves past the separator. An empty S changes nothing; a Pos
// beyond the end gives an empty token and leaves Pos where it is.
void ExtractToken(const QString& S, int& Pos, QChar Sep, QString& Token);

// Replaces the contents of List by the trimmed tokens of S; an empty S leaves List unchanged.
// A separator at the end adds no empty token.
void SplitToStrings(QStringList& List, const QString& S, QChar Sep);

// Decimal text of Value with at least Digits digits, "+" in front of non-negative values when
// ShowPlus; the sign does not count as a digit.
void IntToStrPadded(int Value, int Digits, bool ShowPlus, QString& Result);
QString IntToStrPadded(int Value, int Digits, bool ShowPlus = false);
