#pragma once

#include <QtGlobal>

#include <initializer_list>

// The transport of a connection item; selects its device list.
enum TPort : int { portNone = 0, portCOM = 1, portUSB = 2, portIrDA = 3, portBT = 4 };

// A set of transports.
class TPorts
{
public:
    TPorts() = default;
    TPorts(std::initializer_list<TPort> ports)
    {
        for (TPort port : ports)
            Include(port);
    }

    bool Contains(TPort port) const { return m_bits & Bit(port); }
    void Include(TPort port) { m_bits = static_cast<quint8>(m_bits | Bit(port)); }
    void Exclude(TPort port) { m_bits = static_cast<quint8>(m_bits & ~Bit(port)); }
    bool IsEmpty() const { return m_bits == 0; }

    friend bool operator==(TPorts a, TPorts b) { return a.m_bits == b.m_bits; }

private:
    static quint8 Bit(TPort port) { return static_cast<quint8>(1u << static_cast<int>(port)); }
    quint8 m_bits = 0;
};
