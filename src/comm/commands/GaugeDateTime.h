#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The gauge's packed date-time word: bits 0-5 second, 6-11 minute,
// 12-16 hour, 17-21 day, 22-25 month, 26-31 year - 2000.
// 0 and 0xFFFFFFFF (no date set) give 1 June 2011 00:00:00; a word whose
// fields form no valid date and time gives the current local time.
QDateTime DecodeGaugeDateTime(uint32_t word);

// Display text: the locale's short date, a blank and the long time; the time
// is left out when it is exactly midnight.
QString GaugeDateTimeText(const QDateTime &dateTime);
