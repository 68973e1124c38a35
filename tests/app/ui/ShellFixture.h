#pragma once

#include "app/IniFile.h"
#include "app/ProgramInfo.h"
#include "app/ui/ConnectionLink.h"
#include "app/ui/MainScreen.h"
#include "support/ScriptedUserDialog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// The connection manager as the shell sees it: serial devices to offer and
// a record of what the windows asked.
class TFakeConnectionLink : public TConnectionLink
{
public:
    TDevices devices;
    bool portsAvailable = true;
    TDevices found;
    QList<int> selectedPorts;
    int discoveries = 0;

    TDevices SerialDevices() const override { return devices; }
    bool SerialPortsAvailable() const override { return portsAvailable; }
    void RaiseDeviceFound(const TDevice &device) override
    {
        found << device;
        TConnectionLink::RaiseDeviceFound(device);
    }
    void SelectPort(int activePort) override { selectedPorts << activePort; }
    void StartDiscovery() override { ++discoveries; }
};

inline void EnsureApplication()
{
    if (!qApp) {
        static int argc = 1;
        static char name[] = "test_app_ui";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

// A main window of one edition and brand, on its own settings folder.
class ShellFixture : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::unique_ptr<TProgramInfo> info;
    ScriptedUserDialog dialog;
    TFakeConnectionLink link;
    std::unique_ptr<TMainScreen> main;

    static void SetUpTestSuite() { EnsureApplication(); }

    TProgramInfo::TFolderRoots Roots() const
    {
        return {dir.filePath(QStringLiteral("config")), dir.filePath(QStringLiteral("documents"))};
    }
    static TVersionResource Version(const QString &product, const QString &company)
    {
        TVersionResource version;
        version.productName = product;
        version.companyName = company;
        version.versionMajor = 7;
        version.build = 1;
        return version;
    }
    QString SettingsFile(const QString &product = QStringLiteral("Dalvo 7")) const
    {
        return Roots().config + QLatin1Char('/') + product + QStringLiteral("/Settings.ini");
    }
    // Writes Settings.ini before the start.
    void WriteSettings(const QByteArray &content, const QString &product = QStringLiteral("Dalvo 7"))
    {
        TProgramInfo(Version(product, QStringLiteral("Korventhalium")), Roots());
        TIniFile ini;
        ini.SetContent(content);
        ASSERT_TRUE(ini.Save(SettingsFile(product)));
    }
    // Creates the main window and runs the start-up up to the deferred step.
    void Start(const QString &product = QStringLiteral("Dalvo 7"),
               const QString &company = QStringLiteral("Korventhalium"))
    {
        info = std::make_unique<TProgramInfo>(Version(product, company), Roots());
        main = std::make_unique<TMainScreen>(*info, &dialog, &link);
        main->ShowByState();
        main->PostGlobalMsg(TMainScreen::gcDeferredStart);
        QCoreApplication::processEvents();
    }
    // Closes the window the way the user does; the settings are saved then.
    TIniFile Close()
    {
        main->close();
        return TIniFile(info->SettingsFile());
    }
    QAction *Action(const char *name) const { return main->Action(QString::fromLatin1(name)); }
};
