#include "DisplayCommands.h"

bool TGauge2DisplayLine::Execute(uint8_t line)
{
    SetLine(QStringLiteral("*DL ") + HexByte(line));
    if (!Transact())
        return false;
    if (ReplyCount() == 16)
        DecodeMonochrome();
    else if (ReplyCount() == 40)
        DecodeGreyScale();
    return true;
}

void TGauge2DisplayLine::DecodeMonochrome()
{
    LineFormat = QStringLiteral("7X0");
    for (int p = 0; p < 128; ++p) {
        const bool set = ReplyByte(p / 8 + 1) & (1 << (7 - p % 8));
        Pixels[size_t(p)] = set ? pxBlack : pxWhite;
    }
}

void TGauge2DisplayLine::DecodeGreyScale()
{
    static constexpr uint32_t shades[4] = {pxWhite, pxLightGrey, pxDarkGrey, pxBlack};
    LineFormat = QStringLiteral("7X00");
    for (int w = 0; w < 20; ++w) {
        const uint16_t word = ReplyWord(2 * w + 1);
        for (int i = 0; i < 8; ++i)
            Pixels[size_t(w * 8 + i)] = shades[(word >> (14 - 2 * i)) & 3];
    }
}

bool TGauge2Key::Execute(const QString &keyName)
{
    if (!SetLine(QStringLiteral("*K \"%1\"").arg(keyName)))
        return false;
    return TransactNoReply();
}
