#include "UdevDevices.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <libudev.h>

void TUdevDeleter::operator()(udev *u) const { udev_unref(u); }
void TUdevDeleter::operator()(udev_device *d) const { udev_device_unref(d); }
void TUdevDeleter::operator()(udev_monitor *m) const { udev_monitor_unref(m); }

TUdev NewUdev()
{
    return TUdev(udev_new());
}

namespace {

QString Text(const char *value)
{
    return value ? QString::fromUtf8(value) : QString();
}

QString Property(udev_device *device, const char *name)
{
    return Text(udev_device_get_property_value(device, name));
}

QString SysAttr(udev_device *device, const char *name)
{
    return Text(udev_device_get_sysattr_value(device, name)).trimmed();
}

// udev's "\x20"-style escapes of the *_ENC properties.
QString DecodeUdevText(const QString &encoded)
{
    QByteArray out;
    const QByteArray in = encoded.toUtf8();
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out).trimmed();
}

} // namespace

int SerialPortNumber(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^(.*?)(\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return 0;
    const QString family = match.captured(1);
    const int n = match.captured(2).toInt();
    struct TRange
    {
        const char *family;
        int base;
        int size;
    };
    static const TRange ranges[] = {{"ttyS", 1, 64}, {"ttyUSB", 65, 64}, {"ttyACM", 129, 64}};
    for (const TRange &range : ranges)
        if (family == QLatin1String(range.family))
            return n < range.size ? range.base + n : 0;
    if (!family.startsWith(QLatin1String("tty")))
        return 0;
    return n < 63 ? 193 + n : 0;
}

bool IsSerialPort(udev_device *tty)
{
    if (!udev_device_get_parent(tty))
        return false;   // consoles, ptmx and the like have no device behind them
    const QString type = SysAttr(tty, "type");
    if (type == QLatin1String("0"))
        return false;   // an 8250 slot without a UART
    return SerialPortNumber(Text(udev_device_get_sysname(tty))) != 0;
}

TSerialPortInfo SerialPortInfoOf(udev_device *tty)
{
    TSerialPortInfo port;
    port.Name = Text(udev_device_get_sysname(tty));
    port.Node = Text(udev_device_get_devnode(tty));
    if (port.Node.isEmpty())
        port.Node = QStringLiteral("/dev/") + port.Name;
    port.PortNumber = SerialPortNumber(port.Name);
    if (udev_device *usb = UsbDeviceOf(tty))
        port.BusDescription = UsbModelText(usb);
    return port;
}

udev_device *UsbDeviceOf(udev_device *device)
{
    const char *type = udev_device_get_devtype(device);
    const char *subsystem = udev_device_get_subsystem(device);
    if (type && subsystem && qstrcmp(type, "usb_device") == 0 && qstrcmp(subsystem, "usb") == 0)
        return device;
    return udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
}

QString UsbModelText(udev_device *usb)
{
    const QString encoded = Property(usb, "ID_MODEL_ENC");
    if (!encoded.isEmpty())
        return DecodeUdevText(encoded);
    const QString product = SysAttr(usb, "product");
    return product.isEmpty() ? Property(usb, "ID_MODEL") : product;
}

TUsbDeviceInfo UsbDeviceInfoOf(udev_device *usb)
{
    QString vendor = SysAttr(usb, "idVendor");
    QString product = SysAttr(usb, "idProduct");
    QString serial = SysAttr(usb, "serial");
    if (vendor.isEmpty() || product.isEmpty()) {
        // Removed devices keep only the kernel's PRODUCT=vid/pid/bcd.
        const QStringList parts = Property(usb, "PRODUCT").split(u'/');
        if (parts.size() >= 2) {
            vendor = parts[0].rightJustified(4, u'0');
            product = parts[1].rightJustified(4, u'0');
        }
    }
    if (serial.isEmpty())
        serial = Property(usb, "ID_SERIAL_SHORT");

    TUsbDeviceInfo info;
    info.Path = QStringLiteral("USB\\VID_%1&PID_%2\\%3\\%4")
                    .arg(vendor.toUpper(), product.toUpper(), serial, Text(udev_device_get_sysname(usb)))
                    .toUpper();
    info.FriendlyName = Property(usb, "ID_MODEL_FROM_DATABASE");
    info.BusDescription = UsbModelText(usb);
    info.Description = info.BusDescription.isEmpty()
        ? QStringLiteral("USB device %1:%2").arg(vendor, product) : info.BusDescription;
    info.Manufacturer = SysAttr(usb, "manufacturer");
    if (info.Manufacturer.isEmpty())
        info.Manufacturer = Property(usb, "ID_VENDOR_FROM_DATABASE");
    return info;
}

void ForEachDevice(udev *u, const char *subsystem, const std::function<void(udev_device *)> &visit)
{
    udev_enumerate *enumerate = udev_enumerate_new(u);
    if (!enumerate)
        return;
    udev_enumerate_add_match_subsystem(enumerate, subsystem);
    udev_enumerate_scan_devices(enumerate);
    for (udev_list_entry *entry = udev_enumerate_get_list_entry(enumerate); entry;
         entry = udev_list_entry_get_next(entry)) {
        TUdevDevice device(udev_device_new_from_syspath(u, udev_list_entry_get_name(entry)));
        if (device)
            visit(device.get());
    }
    udev_enumerate_unref(enumerate);
}

TUdevWatch::TUdevWatch(udev *u, const char *subsystem, const char *devtype, THandler handler)
    : m_handler(std::move(handler))
{
    // Without a udev daemon (containers, minimal systems) the kernel's own
    // events are the only ones there are.
    const char *source = QFileInfo::exists(QStringLiteral("/run/udev/control")) ? "udev" : "kernel";
    m_monitor.reset(udev_monitor_new_from_netlink(u, source));
    if (!m_monitor)
        return;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), subsystem, devtype) < 0
        || udev_monitor_enable_receiving(m_monitor.get()) < 0) {
        m_monitor.reset();
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor.get()), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { Receive(); });
}

TUdevWatch::~TUdevWatch() = default;

void TUdevWatch::Receive()
{
    TUdevDevice device(udev_monitor_receive_device(m_monitor.get()));
    if (!device)
        return;
    m_handler(Text(udev_device_get_action(device.get())), device.get());
}

bool StartWatch(std::unique_ptr<TUdevWatch> &watch, udev *u, const char *subsystem, const char *devtype,
                TUdevWatch::THandler handler, const std::function<void()> &onStarted)
{
    if (watch)
        return true;
    auto started = std::make_unique<TUdevWatch>(u, subsystem, devtype, std::move(handler));
    if (!started->IsValid())
        return false;
    watch = std::move(started);
    if (onStarted)
        onStarted();
    return true;
}

void StopWatch(std::unique_ptr<TUdevWatch> &watch, const std::function<void()> &onStopped)
{
    if (!watch)
        return;
    watch.reset();
    if (onStopped)
        onStopped();
}
