#pragma once

#include <QByteArray>

class TGaugeModel;

// The gauge screen as the display-line command reads it: a monochrome
// 128 x 64 panel (16 bytes per line, 1 bit per pixel, first pixel in the top
// bit) or a grey 160 x 160 panel (40 bytes per line: 20 words, least
// significant byte first, 2 bits per pixel from the top bits down, 0 white
// to 3 black). It shows a frame, a header bar with the menu line and the
// number of readings taken, and the last reading in large digits.
class TGaugeDisplay
{
public:
    explicit TGaugeDisplay(const TGaugeModel &model) : FModel(model) {}

    int Width() const;
    int Lines() const;
    int BytesPerLine() const { return Width() == 128 ? 16 : 40; }
    // The packed line; empty when line is out of range.
    QByteArray Line(int line) const;
    // Grey level 0..3 of one pixel.
    int Pixel(int x, int y) const;

private:
    const TGaugeModel &FModel;
};
