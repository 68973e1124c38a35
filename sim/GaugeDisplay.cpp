#include "GaugeDisplay.h"

#include "GaugeModel.h"

#include <QString>

namespace {

// 3 x 5 glyphs, one row per entry, bit 2 is the left column.
constexpr quint8 Glyphs[][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    {0, 0, 0, 0, 2}, // '.'
    {0, 0, 7, 0, 0}, // '-'
    {0, 0, 5, 5, 7}, // 'u'
    {0, 0, 7, 7, 5}, // 'm'
};

int GlyphIndex(QChar c)
{
    if (c.isDigit())
        return c.digitValue();
    switch (c.toLatin1()) {
    case '.': return 10;
    case '-': return 11;
    case 'u': return 12;
    case 'm': return 13;
    default: return -1;
    }
}

// Whether the text drawn at (left, top) with the given scale covers (x, y).
bool TextCovers(const QString &text, int left, int top, int scale, int x, int y)
{
    const int cellWidth = 4 * scale;
    if (y < top || y >= top + 5 * scale || x < left || x >= left + int(text.size()) * cellWidth)
        return false;
    const int glyph = GlyphIndex(text[(x - left) / cellWidth]);
    const int column = ((x - left) % cellWidth) / scale;
    if (glyph < 0 || column > 2)
        return false;
    return Glyphs[glyph][(y - top) / scale] & (4 >> column);
}

} // namespace

int TGaugeDisplay::Width() const
{
    return FModel.Display == sdkMono ? 128 : 160;
}

int TGaugeDisplay::Lines() const
{
    return FModel.Display == sdkMono ? 64 : 160;
}

int TGaugeDisplay::Pixel(int x, int y) const
{
    const int width = Width();
    const int height = Lines();
    if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
        return 3;
    const int scale = width == 128 ? 1 : 2;
    const int headerHeight = 8 * scale;
    if (y < headerHeight) {
        const QString header = QStringLiteral("%1  %2").arg(FModel.MenuLine).arg(FModel.ReadingsMeasured);
        return TextCovers(header, 3, 2 * scale - 1, scale, x, y) ? 0 : 1;
    }
    const QString value = QString::number(FModel.LastReading, 'f', 1);
    const int bigScale = 3 * scale;
    const int left = (width - int(value.size()) * 4 * bigScale) / 2;
    const int top = headerHeight + (height - headerHeight - 5 * bigScale) / 2 - 4 * scale;
    if (TextCovers(value, left, top, bigScale, x, y))
        return 3;
    const QString unit = FModel.UnitText.left(4);
    if (TextCovers(unit, width - int(unit.size()) * 4 * scale - 4, height - 8 * scale, scale, x, y))
        return 2;
    return 0;
}

QByteArray TGaugeDisplay::Line(int line) const
{
    if (line < 0 || line >= Lines())
        return {};
    QByteArray bytes(BytesPerLine(), '\0');
    if (FModel.Display == sdkMono) {
        for (int x = 0; x < 128; ++x)
            if (Pixel(x, line) >= 1)
                bytes[x / 8] = char(quint8(bytes[x / 8]) | (0x80 >> (x % 8)));
        return bytes;
    }
    for (int word = 0; word < 20; ++word) {
        quint16 value = 0;
        for (int p = 0; p < 8; ++p)
            value |= quint16(Pixel(word * 8 + p, line) << (14 - 2 * p));
        bytes[2 * word] = char(value & 0xFF);
        bytes[2 * word + 1] = char(value >> 8);
    }
    return bytes;
}
