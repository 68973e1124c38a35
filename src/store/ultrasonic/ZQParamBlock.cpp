#include "store/ultrasonic/ZQParamBlock.h"

#include "store/tagged/QelTextForms.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

const QString TZQParamBlock::CopyErrorText = QStringLiteral("ZQParam copy error !");

namespace {

constexpr int kLayersInBlock = 5;
constexpr int kLayerRecordSize = 39;
constexpr int kRestRecordSize = 9;
constexpr int kClipRecordSize = 10;

constexpr int kOffUser = 3;
constexpr int kOffLayers = 46;
constexpr int kOffRest = 241;
constexpr int kOffEchoSelect = 313;
constexpr int kOffClip = 321;
constexpr int kTextBytes = 16;

// Layer record
constexpr int kLayerSpeed = 16;
constexpr int kLayerExpEnable = 22;
constexpr int kLayerExpStart = 23;
constexpr int kLayerExpEnd = 27;

constexpr quint8 kFlagFalse = 1;
constexpr quint8 kFlagTrue = 2;

class TBlockWriter
{
public:
    explicit TBlockWriter(QByteArray &block) : m_data(reinterpret_cast<quint8 *>(block.data())) {}

    void Byte(int offset, quint8 value) { m_data[offset] = value; }
    void PlusOne(int offset, quint8 value) { m_data[offset] = quint8(value + 1); }
    void Flag(int offset, bool value) { m_data[offset] = value ? kFlagTrue : kFlagFalse; }
    void Word(int offset, quint16 value) { qToLittleEndian(value, m_data + offset); }
    void Single(int offset, double value)
    {
        // Keep finite values finite; a plain narrowing of a huge double is undefined.
        constexpr double maxSingle = std::numeric_limits<float>::max();
        if (std::isfinite(value))
            value = std::clamp(value, -maxSingle, maxSingle);
        qToLittleEndian(std::bit_cast<quint32>(static_cast<float>(value)), m_data + offset);
    }
    void Text(int offset, const QString &text)
    {
        const QByteArray bytes = StringToAnsi(text).left(kTextBytes - 1);
        std::memset(m_data + offset, 0, kTextBytes);
        std::memcpy(m_data + offset, bytes.constData(), size_t(bytes.size()));
    }

private:
    quint8 *m_data;
};

class TBlockReader
{
public:
    // Bytes beyond the block read as 0.
    explicit TBlockReader(const QByteArray &block) : m_block(block) {}

    quint8 Byte(int offset) const
    {
        return offset < m_block.size() ? quint8(m_block[offset]) : quint8(0);
    }
    // A damaged 0 gives 0 instead of wrapping to 255.
    quint8 MinusOne(int offset) const { return Byte(offset) > 0 ? quint8(Byte(offset) - 1) : quint8(0); }
    bool Flag(int offset) const { return Byte(offset) > kFlagFalse; }
    quint16 Word(int offset) const { return quint16(Byte(offset) | (Byte(offset + 1) << 8)); }
    double Single(int offset) const
    {
        const quint32 bits = quint32(Byte(offset)) | (quint32(Byte(offset + 1)) << 8)
            | (quint32(Byte(offset + 2)) << 16) | (quint32(Byte(offset + 3)) << 24);
        const float value = std::bit_cast<float>(bits);
        // The writer leaves a value of 0 as all ones, which is not a number.
        return std::isnan(value) ? 0.0 : double(value);
    }
    QString Text(int offset) const
    {
        QByteArray bytes;
        for (int i = 0; i < kTextBytes - 1; ++i) {
            const quint8 b = Byte(offset + i);
            if (b == 0)
                break;
            bytes.append(char(b));
        }
        return AnsiToString(bytes);
    }

private:
    const QByteArray &m_block;
};

quint16 SpeedWord(double speed)
{
    if (std::isnan(speed))
        return 0;
    // nearbyint rounds ties to even in the default rounding mode.
    return quint16(std::clamp(std::nearbyint(speed), 0.0, 65535.0));
}

quint16 CouplingTimeWord(double ns)
{
    if (std::isnan(ns))
        return 0;
    return quint16(std::clamp(std::trunc(ns), 0.0, 65535.0));
}

int LayerOffset(int layer) { return kOffLayers + layer * kLayerRecordSize; }
int RestOffset(int domain) { return kOffRest + domain * kRestRecordSize; }
int ClipOffset(int domain) { return kOffClip + domain * kClipRecordSize; }

} // namespace

QByteArray TZQParamBlock::FromRecord(const TZQDiagramData &data, quint16 handle)
{
    QByteArray block(Size, '\0');
    // Domain and layer areas start as all ones: a single of value 0 stays so.
    std::fill(block.begin() + kOffLayers, block.begin() + kOffEchoSelect, char(0xFF));
    std::fill(block.begin() + kOffClip, block.end(), char(0xFF));
    TBlockWriter w(block);

    w.Byte(0, data.Version);
    w.Word(1, handle);
    w.Text(kOffUser, data.User);
    w.PlusOne(19, data.LayerMax);
    w.PlusOne(20, data.Analyse);
    w.PlusOne(21, data.Range);
    w.Single(22, data.PosGlobalClip);
    w.Single(26, data.NegGlobalClip);
    w.Single(30, data.MinStepHeight);
    w.Flag(34, data.Optimize);
    w.Byte(35, 0);
    w.Byte(36, 1);
    w.PlusOne(37, data.ClipMode);
    w.Byte(38, 1);
    w.Flag(39, data.SuppressMultiEchos);
    w.PlusOne(40, data.ExtremaMode);
    w.Byte(41, quint8(std::count_if(data.Exp.begin(), data.Exp.begin() + kLayersInBlock,
                                    [](const TZQExpDomain &d) { return d.ExpEnable; })));
    w.Byte(42, quint8(std::count(data.EchoSelect.begin(), data.EchoSelect.end(), true)));
    w.PlusOne(43, data.CouplingMode);
    w.Word(44, CouplingTimeWord(data.CouplingTimeMax));

    for (int layer = 0; layer < kLayersInBlock; ++layer) {
        const int at = LayerOffset(layer);
        const TZQExpDomain &exp = data.Exp[size_t(layer)];
        w.Text(at, data.Material[size_t(layer)]);
        w.Word(at + kLayerSpeed, SpeedWord(data.Speed[size_t(layer)]));
        for (int i = 0; i < 4; ++i)
            w.Byte(at + kLayerSpeed + 2 + i, 0);
        w.Flag(at + kLayerExpEnable, exp.ExpEnable);
        if (exp.ExpStart != 0)
            w.Single(at + kLayerExpStart, exp.ExpStart);
        if (exp.ExpEnd != 0)
            w.Single(at + kLayerExpEnd, exp.ExpEnd);
        for (int i = 0; i < 8; ++i)
            w.Byte(at + kLayerExpEnd + 4 + i, 0);
    }

    for (int n = 0; n < kZQDomainCount; ++n) {
        const TZQRestDomain &rest = data.Rest[size_t(n)];
        const int at = RestOffset(n);
        w.Flag(at, rest.RestEnable);
        if (rest.RestStart != 0) {
            w.Single(at + 1, rest.RestStart);
            w.Single(at + 5, rest.RestLevel);
        }
        w.Flag(kOffEchoSelect + n, data.EchoSelect[size_t(n)]);
        const TZQClipDomain &clip = data.Clip[size_t(n)];
        const int clipAt = ClipOffset(n);
        w.Flag(clipAt, clip.ClipEnable);
        w.Flag(clipAt + 1, clip.ClipInvert);
        if (clip.ClipStart != 0) {
            w.Single(clipAt + 2, clip.ClipStart);
            w.Single(clipAt + 6, clip.ClipLevel);
        }
    }
    return block;
}

bool TZQParamBlock::ToRecord(const QByteArray &block, TZQDiagramData &data)
{
    if (!FitsGauge(block.size()))
        return false;
    const TBlockReader r(block);
    TZQDiagramData d;

    d.Version = r.Byte(0);
    d.User = r.Text(kOffUser);
    d.LayerMax = r.MinusOne(19);
    d.Analyse = r.MinusOne(20);
    d.Range = r.MinusOne(21);
    d.PosGlobalClip = r.Single(22);
    d.NegGlobalClip = r.Single(26);
    d.MinStepHeight = r.Single(30);
    d.Optimize = r.Flag(34);
    d.ClipMode = r.MinusOne(37);
    d.SuppressMultiEchos = r.Flag(39);
    d.ExtremaMode = r.MinusOne(40);
    d.CouplingMode = r.MinusOne(43);
    d.CouplingTimeMax = r.Word(44);

    for (int layer = 0; layer < kLayersInBlock; ++layer) {
        const int at = LayerOffset(layer);
        TZQExpDomain &exp = d.Exp[size_t(layer)];
        d.Material[size_t(layer)] = r.Text(at);
        d.Speed[size_t(layer)] = r.Word(at + kLayerSpeed);
        exp.ExpEnable = r.Flag(at + kLayerExpEnable);
        exp.ExpStart = r.Single(at + kLayerExpStart);
        exp.ExpEnd = r.Single(at + kLayerExpEnd);
    }

    for (int n = 0; n < kZQDomainCount; ++n) {
        TZQRestDomain &rest = d.Rest[size_t(n)];
        const int at = RestOffset(n);
        rest.RestEnable = r.Flag(at);
        rest.RestStart = r.Single(at + 1);
        rest.RestLevel = r.Single(at + 5);
        d.EchoSelect[size_t(n)] = r.Flag(kOffEchoSelect + n);
        TZQClipDomain &clip = d.Clip[size_t(n)];
        const int clipAt = ClipOffset(n);
        clip.ClipEnable = r.Flag(clipAt);
        clip.ClipInvert = r.Flag(clipAt + 1);
        clip.ClipStart = r.Single(clipAt + 2);
        clip.ClipLevel = r.Single(clipAt + 6);
    }
    data = std::move(d);
    return true;
}
