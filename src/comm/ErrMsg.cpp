#include "ErrMsg.h"

#include <QCoreApplication>

QString ErrMsgText(TErrMsg code)
{
    static const char *const texts[] = {
        "",
        QT_TRANSLATE_NOOP("TErrMsg", "Port not exists !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Port not active !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Device list is empty !"),
        QT_TRANSLATE_NOOP("TErrMsg", "No Device !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Timeout !"),
        QT_TRANSLATE_NOOP("TErrMsg", "CYC-Timeout !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Device not found !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Receive buffer full !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Unknown command !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Wrong address !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Bad checksum !"),
        QT_TRANSLATE_NOOP("TErrMsg", "NAK !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Bad command line !"),
        QT_TRANSLATE_NOOP("TErrMsg", "Unable to stop CYC mode!"),
        QT_TRANSLATE_NOOP("TErrMsg", "Connection error!"),
        QT_TRANSLATE_NOOP("TErrMsg", "Data send error!"),
        QT_TRANSLATE_NOOP("TErrMsg", "Device not disconnected!"),
    };
    if (code <= emNone || code > emDeviceNotDisconnected)
        return {};
    return QCoreApplication::translate("TErrMsg", texts[code]);
}
