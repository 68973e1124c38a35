#include "ShellFixture.h"

#include "app/ui/FormSetup.h"
#include "app/ui/GaugePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

// Runs the settings dialog modally as the action does; edit changes the
// controls while it is open, then the button named is clicked.
void RunSetup(TMainScreen &main, const std::function<void(TFormSetup &)> &edit, const char *button)
{
    TFormSetup *form = main.FormSetup();
    QTimer::singleShot(0, form, [form, edit, button] {
        edit(*form);
        form->findChild<QPushButton *>(QString::fromLatin1(button))->click();
    });
    main.Action(QStringLiteral("ProgSetup"))->trigger();
    QCoreApplication::processEvents();
}

TDevice SerialDevice(int number, const QString &node)
{
    TDevice device;
    device.Name = QStringLiteral("COM%1").arg(number);
    device.PortNumber = number;
    device.DevicePath = node;
    return device;
}

template <class T>
T *Control(TFormSetup &form, const char *name)
{
    T *control = form.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

} // namespace

using FormSetupTest = ShellFixture;

TEST_F(FormSetupTest, CancelDiscardsEditsButTheDeferredStepStillRuns)
{
    Start();
    const TSettingsRecord before = main->Record();
    const int runs = main->DeferredStartRuns();
    RunSetup(*main, [](TFormSetup &form) {
        Control<QCheckBox>(form, "CheckQuickView")->setChecked(true);
        Control<QComboBox>(form, "ComboBaseUnit")->setCurrentIndex(3);
        Control<QComboBox>(form, "ComboSeparator")->setCurrentIndex(1);
        Control<QCheckBox>(form, "CheckStats")->setChecked(false);
    }, "btnCancel");

    EXPECT_TRUE(main->Record() == before);
    EXPECT_EQ(main->DeferredStartRuns(), runs + 1);
    EXPECT_FALSE(main->GaugePanel()->QuickInfoPanel()->isVisible());
    EXPECT_TRUE(link.found.isEmpty());
}

TEST_F(FormSetupTest, OkHandsTheEditsToTheMainWindow)
{
    Start();
    RunSetup(*main, [](TFormSetup &form) {
        Control<QCheckBox>(form, "CheckQuickView")->setChecked(true);
        Control<QComboBox>(form, "ComboBaseUnit")->setCurrentIndex(3);
        Control<QComboBox>(form, "ComboSeparator")->setCurrentIndex(1);
        Control<QComboBox>(form, "ComboReportOutput")->setCurrentIndex(1);
    }, "btnOK");

    EXPECT_TRUE(main->Record().QuickView);
    EXPECT_EQ(main->Record().BaseUnit, 3);
    EXPECT_EQ(main->Record().DecimalSeparator, QChar(44));
    EXPECT_EQ(main->Record().ReportOutput, 1);
    // The deferred step after the dialog shows the quick-info panel.
    EXPECT_TRUE(main->GaugePanel()->QuickInfoPanel()->isVisible());
    const TIniFile saved = Close();
    EXPECT_EQ(saved.ReadInteger("Setup", "BaseUnit", -1), 3);
    EXPECT_EQ(saved.ReadInteger("Setup", "DecimalSeparator", -1), 44);
}

TEST_F(FormSetupTest, PortChoiceStoresItsNumberAndRaisesDeviceFound)
{
    const TDevice com3 = SerialDevice(3, QStringLiteral("/dev/ttyS3"));
    const TDevice com7 = SerialDevice(7, QStringLiteral("/dev/ttyUSB0"));
    const struct
    {
        const char *entry;
        int rs232;
        TDevice device;
    } cases[] = {{"None", 0, TDevice{}}, {"COM7", 7, com7}, {"COM3", 3, com3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.entry);
        WriteSettings("[Setup]\r\nRS232=3\r\n");
        link.devices = {com3, com7};
        link.found.clear();
        Start();
        EXPECT_EQ(main->FormSetup()->PortList()->currentText(), QStringLiteral("COM3"));
        TDevices signalled;
        QObject receiver;
        QObject::connect(&link, &TConnectionLink::DeviceFound, &receiver,
                         [&signalled](const TDevice &device) { signalled << device; });
        RunSetup(*main, [&c](TFormSetup &form) {
            QComboBox *ports = form.PortList();
            EXPECT_EQ(ports->itemText(0), QStringLiteral("None"));
            ports->setCurrentIndex(ports->findText(QString::fromLatin1(c.entry)));
        }, "btnOK");

        EXPECT_EQ(main->Record().RS232, c.rs232);
        ASSERT_EQ(link.found.size(), 1);
        ASSERT_EQ(signalled.size(), 1);
        EXPECT_TRUE(IsSameDevice(link.found.first(), c.device));
        if (c.rs232 == 0) {
            // The all-zero entry: no name, no port, handle 0.
            EXPECT_TRUE(link.found.first().Name.isEmpty());
            EXPECT_EQ(link.found.first().PortNumber, 0);
            EXPECT_EQ(link.found.first().Handle, 0);
        }
        EXPECT_EQ(Close().ReadInteger("Setup", "RS232", -1), c.rs232);
        main.reset();
    }
}

TEST_F(FormSetupTest, PortListIsDisabledWithoutSerialPorts)
{
    link.portsAvailable = false;
    Start();
    bool enabled = true;
    RunSetup(*main, [&enabled](TFormSetup &form) { enabled = form.PortList()->isEnabled(); }, "btnCancel");
    EXPECT_FALSE(enabled);
}

TEST_F(FormSetupTest, TarvexKeepsOnlyTheViewPageAndItsUnit)
{
    Start(QStringLiteral("Dalvo 7"), QStringLiteral("TARVEX"));
    TFormSetup *form = main->FormSetup();
    EXPECT_EQ(form->PageButton(TFormSetup::tpGeneral), nullptr);
    EXPECT_EQ(form->PageButton(TFormSetup::tpInterface), nullptr);
    EXPECT_EQ(form->PageButton(TFormSetup::tpExport), nullptr);
    ASSERT_NE(form->PageButton(TFormSetup::tpView), nullptr);
    EXPECT_EQ(form->CurrentPage(), TFormSetup::tpView);
    EXPECT_FALSE(form->findChild<QGroupBox *>(QStringLiteral("GroupUnit"))->isVisibleTo(form));

    // The brand's own unit, which the hidden drop-down cannot show, survives OK.
    ASSERT_EQ(main->Record().BaseUnit, 6);
    RunSetup(*main, [](TFormSetup &form) { Control<QCheckBox>(form, "CheckQuickView")->setChecked(true); }, "btnOK");
    EXPECT_EQ(main->Record().BaseUnit, 6);
    EXPECT_TRUE(main->Record().QuickView);
}

TEST_F(FormSetupTest, OtherBrandsOfferAllFourPages)
{
    Start();
    TFormSetup *form = main->FormSetup();
    for (TFormSetup::TPage page : {TFormSetup::tpGeneral, TFormSetup::tpInterface, TFormSetup::tpExport,
                                   TFormSetup::tpView}) {
        ASSERT_NE(form->PageButton(page), nullptr);
        form->PageButton(page)->click();
        EXPECT_EQ(form->CurrentPage(), page);
    }
}
