#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Conversions shared by the text forms of attributes and their callers.

// ANSI code page (windows-1252) bytes to text and back; characters the
// code page lacks become '?'.
QString AnsiToString(const QByteArray &bytes);
QByteArray StringToAnsi(const QString &text);

// Date-time doubles: days since 1899-12-30 00:00, the fraction is the time
// of day (also for negative values). Milliseconds are rounded.
QDateTime DateTimeFromDays(double days);
double DaysFromDateTime(const QDateTime &dateTime);

// Shortest text that reads back as the same value, with the locale's
// decimal separator.
QString FormatShortest(double value);
QString FormatShortest(float value);

// Tolerant number parsing: "." or "," as decimal separator, the other as
// thousands separator (groups of exactly three digits). Empty when the
// text is not a number.
std::optional<double> ParseTolerantNumber(const QString &text);
