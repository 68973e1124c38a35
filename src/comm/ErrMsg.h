#pragma once

#include <QString>

// Result code of every communication operation; 0 is success.
enum TErrMsg : int {
    emNone = 0,
    emPortNotExists = 1,
    emPortNotActive = 2,
    emEmptyDeviceList = 3,
    emNoDevice = 4,
    emTimeout = 5,
    emCYCTimeout = 6,
    emDeviceNotFound = 7,
    emReceiveBufferFull = 8,
    emUnknownCommand = 9,
    emWrongAddress = 10,
    emBadCheckSum = 11,
    emNAK = 12,
    emBadCmdLine = 13,
    emCantStopCYC = 14,
    emConnect = 15,
    emSendData = 16,
    emDeviceNotDisconnected = 17,
};

// The message text of a result code (empty for emNone and unknown codes),
// translatable through the "TErrMsg" context.
QString ErrMsgText(TErrMsg code);
