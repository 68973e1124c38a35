#include "app/ProgramInfo.h"
#include "app/SingleInstance.h"
#include "app/ui/FormStart.h"
#include "app/ui/MainScreen.h"
#include "app/ui/TerminationWatch.h"

#include <QApplication>
#include <QPointer>
#include <QTranslator>

namespace {

// Loads the language module for the language of Settings.ini, before any
// window exists; without one the built-in English texts stay.
void LoadLanguage(QApplication &app, const TProgramInfo &info, QTranslator &translator)
{
    const QString module = FindLanguageModule(QApplication::applicationFilePath(), info.Language());
    if (!module.isEmpty() && translator.load(module))
        app.installTranslator(&translator);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const TProgramInfo &info = TProgramInfo::Current();
    QApplication::setApplicationName(info.ProductName());
    QApplication::setApplicationDisplayName(info.ProductName());
    const QStringList arguments = QApplication::arguments().mid(1);

    TSingleInstance instance(info.ProductName());
    if (!instance.Claim()) {
        instance.HandOver(TSingleInstance::HandOverText(arguments));
        return 0;
    }

    QTranslator translator;
    LoadLanguage(app, info, translator);

    QPointer<TFormStart> splash = new TFormStart(TStartContent::Of(info), TFormStart::fmSplash);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    const QString title = splash->ProductLabel() + QLatin1Char(' ') + splash->EditionLabel();
    QApplication::setApplicationDisplayName(title);

    TMainScreen mainScreen(info);
    mainScreen.setWindowTitle(title + (info.PreRelease() ? QStringLiteral(" - Testversion") : QString()));
    mainScreen.SetCommandLine(arguments);
    mainScreen.SetSplash(splash);
    QObject::connect(&instance, &TSingleInstance::HandOverReceived, &mainScreen, [&mainScreen](const QString &text) {
        mainScreen.showNormal();
        mainScreen.raise();
        mainScreen.activateWindow();
        mainScreen.RestartParam(text);
    });
    TTerminationWatch termination;
    QObject::connect(&termination, &TTerminationWatch::Terminated, &mainScreen, &TMainScreen::close);
    mainScreen.ShowByState();
    splash->raise();
    mainScreen.PostGlobalMsg(TMainScreen::gcDeferredStart);
    return app.exec();
}
