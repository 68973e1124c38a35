#include "PtyLink.h"

#include "GaugeSimulator.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

TPtyLink::TPtyLink(TGaugeSimulator &simulator, QObject *parent) : QObject(parent), FSimulator(simulator)
{
    connect(&FSimulator, &TGaugeSimulator::Output, this, [this](const QByteArray &bytes) {
        qsizetype done = 0;
        while (FMaster >= 0 && done < bytes.size()) {
            const ssize_t n = ::write(FMaster, bytes.constData() + done, std::size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
    });
    connect(&FSimulator, &TGaugeSimulator::LinkClosed, this, &TPtyLink::Close);
}

TPtyLink::~TPtyLink()
{
    Close();
}

bool TPtyLink::Open(const QString &linkPath, QString *error)
{
    auto fail = [&](const QString &what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
        Close();
        return false;
    };
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0)
        return fail(QStringLiteral("cannot create a pseudo-terminal"));
    const char *name = ::ptsname(FMaster);
    if (!name)
        return fail(QStringLiteral("cannot name the pseudo-terminal"));
    FSlavePath = QString::fromLocal8Bit(name);
    FSlaveKeeper = ::open(name, O_RDWR | O_NOCTTY);
    if (FSlaveKeeper < 0)
        return fail(QStringLiteral("cannot open %1").arg(FSlavePath));
    termios settings{};
    if (::tcgetattr(FSlaveKeeper, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(FSlaveKeeper, TCSANOW, &settings);
    }
    const QFileInfo existing(linkPath);
    if (existing.isSymLink())
        QFile::remove(linkPath);
    else if (existing.exists()) {
        errno = EEXIST;
        return fail(QStringLiteral("%1 exists and is not a symlink").arg(linkPath));
    }
    if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0)
        return fail(QStringLiteral("cannot create the symlink %1").arg(linkPath));
    FLinkPath = linkPath;
    FNotifier = new QSocketNotifier(FMaster, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TPtyLink::ReadMaster);
    return true;
}

void TPtyLink::ReadMaster()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
        if (n > 0) {
            FSimulator.Receive(QByteArray(buffer, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
}

void TPtyLink::Close()
{
    const bool wasOpen = FMaster >= 0;
    delete FNotifier;
    FNotifier = nullptr;
    if (FMaster >= 0)
        ::close(FMaster);
    if (FSlaveKeeper >= 0)
        ::close(FSlaveKeeper);
    FMaster = FSlaveKeeper = -1;
    if (!FLinkPath.isEmpty() && QFileInfo(FLinkPath).isSymLink())
        QFile::remove(FLinkPath);
    FLinkPath.clear();
    if (wasOpen)
        emit Closed();
}
