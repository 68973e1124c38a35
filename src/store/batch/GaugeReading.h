#pragma once

#include "StatData.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

// The gauge packs a reading into three bytes b0 b1 b2 (followed by four
// time-stamp bytes in readings files with time stamps):
//   b2: bit 7 sign, bit 6 valid, bits 5..0 exponent - 119
//   b1: fraction bits 22..15, b0: fraction bits 14..8 in bits 7..1,
//   b0 bit 0: calibration number - 1.
// FF 7F 5B marks a reading without value.
using TPackedReading = std::array<std::uint8_t, 3>;
using TPackedGaugeReading = std::array<std::uint8_t, 7>;

inline constexpr TPackedReading NoValuePackedReading = {0xFF, 0x7F, 0x5B};

// seriesZeroOfMany: in a batch with more than one series, readings of series 0
// carry calibration number 0.
TReadingRecord UnpackGaugeReading(const TPackedReading &packed, bool seriesZeroOfMany = false);
// A reading without calibration number (0) is packed as one of calibration 1.
TPackedReading PackGaugeReading(double value, std::uint8_t flags, std::uint8_t calNumber);

// The gauge's packed date-time word (little-endian in the reading):
// second bits 0-5, minute 6-11, hour 12-16, day 17-21, month 22-25,
// year 2000 + bits 26-31. 0 and 0xFFFFFFFF stand for 2011-06-01 00:00:00;
// a word that is no valid date and time gives `now`.
QDateTime DecodeGaugeTimeStamp(std::uint32_t word, const QDateTime &now);
// Date and time in the system's short date and long time format.
QString TimeStampNoteText(const QDateTime &dateTime);

// Probe class from the probe type text: only the letters A..Z count
// (upper-cased); "F" 1, "N" 2, "FN" 3, "FH" 4, "ZQ" 5, anything else 0.
std::uint8_t ProbeClassOf(const QString &probeType);
