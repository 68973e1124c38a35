// Hostile byte streams through the frame assembler, the decoder and the
// connection item's receive handler: nothing may crash, hang or read past a
// buffer.
#include "comm/FrameAssembler.h"
#include "comm/TelegramCodec.h"
#include "comm/ZYKComm2Item.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the own address, so sub-addressed and broadcast
    // frames are reached as well.
    TCodecState state;
    state.TransmitAdr = data[0] & 1 ? 127 : data[0];
    TFrameAssembler assembler;
    for (size_t i = 1; i < size; ++i) {
        if (!assembler.Feed(data[i]))
            continue;
        TTelegramData telegram;
        const TErrMsg result = DecodeFrame(state, assembler.Frame(), telegram);
        if (result == emNone) {
            // What decodes must re-encode within bounds.
            TBuffer answer = telegram.Data;
            TBuffer frame;
            BuildFrame(state, fkAnswer, 0, answer, frame);
        }
    }

    static TZYKComm2Item item;
    static bool configured = false;
    if (!configured) {
        item.OnTelegram = [](QObject *, const TTelegramData &telegram, TBuffer &response) {
            response = telegram.Data;
        };
        configured = true;
    }
    item.ReceiveBytes(data + 1, static_cast<int>(size - 1));

    const QString line = QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TBuffer request = EncodeLineCommand(line);
    TBuffer frame;
    BuildFrame(state, fkRequest, 0, request, frame);
    return 0;
}
