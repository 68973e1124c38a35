#pragma once

#include "comm/TelegramCodec.h"
#include "comm/ZYKComm2Item.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// Base of every gauge command: builds the request of its line command, runs
// the transaction on the connection item and leaves the answer payload in
// Reply for the derived class to decode. Answer bytes are numbered from 1
// (Reply byte k); words and dwords are least significant byte first.
class TZYKDeviceFunction2
{
public:
    explicit TZYKDeviceFunction2(TZYKComm2Item &connection) : Connection(connection) {}
    virtual ~TZYKDeviceFunction2() = default;
    TZYKDeviceFunction2(const TZYKDeviceFunction2 &) = delete;
    TZYKDeviceFunction2 &operator=(const TZYKDeviceFunction2 &) = delete;

    TZYKComm2Item &Connection;  // never owned
    TBuffer Reply{};            // payload of the last answer
    TBuffer Request{};          // the last request

protected:
    // Request := the encoded line; false when the line did not encode.
    bool SetLine(const QString &line);
    // Request := count followed by the given bytes, written directly.
    void SetRaw(std::initializer_list<uint8_t> bytes);

    // Raw bytes after the encoded line or raw start. A request that would not
    // fit is marked and later refused by Transact without sending anything.
    void AppendByte(uint8_t value);
    void AppendWord(uint16_t value);
    void AppendDword(uint32_t value);
    void AppendBytes(const uint8_t *bytes, int count);
    void AppendText(const QByteArray &text);

    // Runs the transaction; true when the answer arrived. Reply holds the
    // answer payload afterwards (count 0 on failure).
    bool Transact();
    // Waits for the answer and discards it.
    bool TransactNoReply();

    int ReplyCount() const { return Reply[0]; }
    uint8_t ReplyByte(int k) const { return k >= 1 && k <= ReplyCount() ? Reply[k] : 0; }
    uint16_t ReplyWord(int k) const { return uint16_t(ReplyByte(k) | ReplyByte(k + 1) << 8); }
    uint32_t ReplyDword(int k) const { return uint32_t(ReplyWord(k)) | uint32_t(ReplyWord(k + 2)) << 16; }
    // Answer bytes from..count as text.
    QString ReplyText(int from = 1) const;
    // The zero-terminated text starting at byte from; *next is the byte after
    // its zero (count + 1 when there is none).
    QString ReplyZeroText(int from, int *next = nullptr) const;

private:
    bool RequestFits();

    bool FOverflow = false;
};

// Two upper-case hexadecimal digits of the low byte, as line arguments carry them.
QString HexByte(int value);
