#include "app/ui/FormSetup.h"

#include "app/ui/ConnectionLink.h"
#include "app/ui/MainScreen.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const UnitNames[] = {"\u00b5m", "mm", "cm", "mils", "inch", "thou"};

struct TPageDef
{
    const char *Button;
    const char *Caption;
    const char *Sheet;
    const char *Icon;
};
const TPageDef PageDefs[] = {
    {"btnGeneral", QT_TRANSLATE_NOOP("TFormSetup", "General"), "TabSheetGlobal", "setup-general"},
    {"btnInterface", QT_TRANSLATE_NOOP("TFormSetup", "Interface"), "TabSheetPort", "setup-interface"},
    {"btnExport", QT_TRANSLATE_NOOP("TFormSetup", "Export"), "TabSheetExport", "setup-export"},
    {"btnView", QT_TRANSLATE_NOOP("TFormSetup", "View"), "TabSheetView", "setup-view"},
};

QCheckBox *MakeCheck(const QString &text, const char *name, QWidget *parent)
{
    auto *check = new QCheckBox(text, parent);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}

// An edit with a "..." button beside it.
QWidget *BrowseRow(QLineEdit *&edit, const char *editName, const char *buttonName, QWidget *parent,
                   const std::function<void()> &onBrowse)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(row);
    edit->setObjectName(QString::fromLatin1(editName));
    auto *button = new QToolButton(row);
    button->setObjectName(QString::fromLatin1(buttonName));
    button->setText(QStringLiteral("..."));
    QObject::connect(button, &QToolButton::clicked, row, onBrowse);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

} // namespace

TFormSetup::TFormSetup(TMainScreen &main)
    : QDialog(&main, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , FMain(main)
{
    setObjectName(QStringLiteral("FormSetup"));
    setWindowTitle(tr("Setup"));

    FPages = new QStackedWidget(this);
    FPages->addWidget(BuildGeneralPage());
    FPages->addWidget(BuildInterfacePage());
    FPages->addWidget(BuildExportPage());
    FPages->addWidget(BuildViewPage());
    for (int page = 0; page < FPages->count(); ++page)
        FPages->widget(page)->setObjectName(QString::fromLatin1(PageDefs[page].Sheet));

    auto *btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnOK);
    auto *body = new QHBoxLayout;
    body->addWidget(BuildPageBar());
    body->addWidget(FPages, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ApplyBrand();
}

QWidget *TFormSetup::BuildPageBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PageBar"));
    bar->setStyleSheet(QStringLiteral("#PageBar { background: #2f4f6f; }"
                                      "#PageBar QToolButton { color: white; border: none; padding: 6px; }"
                                      "#PageBar QToolButton:checked { background: #4f7fae; }"));
    bar->setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QVBoxLayout(bar);
    layout->setContentsMargins(4, 4, 4, 4);
    FPageButtons = new QButtonGroup(this);
    FPageButtons->setExclusive(true);
    for (int page = 0; page < 4; ++page) {
        auto *button = new QToolButton(bar);
        button->setObjectName(QString::fromLatin1(PageDefs[page].Button));
        button->setText(tr(PageDefs[page].Caption));
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(PageDefs[page].Icon))));
        button->setIconSize(QSize(40, 40));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setFixedWidth(92);
        FPageButtons->addButton(button, page);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    connect(FPageButtons, &QButtonGroup::idClicked, this, [this](int page) { ShowPage(TPage(page)); });
    ShowPage(tpGeneral);
    return bar;
}

QWidget *TFormSetup::BuildGeneralPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    GroupUnit = new QGroupBox(tr("Unit"), page);
    GroupUnit->setObjectName(QStringLiteral("GroupUnit"));
    auto *unit = new QFormLayout(GroupUnit);
    ComboBaseUnit = new QComboBox(GroupUnit);
    ComboBaseUnit->setObjectName(QStringLiteral("ComboBaseUnit"));
    for (const char *name : UnitNames)
        ComboBaseUnit->addItem(QString::fromUtf8(name));
    unit->addRow(tr("Base unit"), ComboBaseUnit);
    CheckFixDecimal = MakeCheck(tr("Fixed number of decimal points"), "CheckFixDecimal", GroupUnit);
    SpinDecimal = new QSpinBox(GroupUnit);
    SpinDecimal->setObjectName(QStringLiteral("SpinDecimal"));
    SpinDecimal->setRange(0, 9);
    unit->addRow(CheckFixDecimal, SpinDecimal);
    CheckAutoRange = MakeCheck(tr("Automatic selection for high readings"), "CheckAutoRange", GroupUnit);
    unit->addRow(CheckAutoRange);
    ComboSeparator = new QComboBox(GroupUnit);
    ComboSeparator->setObjectName(QStringLiteral("ComboSeparator"));
    ComboSeparator->addItems({QStringLiteral("."), QStringLiteral(",")});
    unit->addRow(tr("Decimal separator"), ComboSeparator);
    layout->addWidget(GroupUnit);

    auto *notes = new QGroupBox(page);
    auto *notesLayout = new QVBoxLayout(notes);
    CheckUseDefaultNotes = MakeCheck(tr("Default document for notes"), "CheckUseDefaultNotes", notes);
    notesLayout->addWidget(CheckUseDefaultNotes);
    notesLayout->addWidget(BrowseRow(EditNotesDefaultDir, "EditNotesDefaultDir", "btnNotesDefaultDir", notes,
                                     [this] { ChooseNotesDocument(); }));
    layout->addWidget(notes);
    layout->addStretch(1);
    return page;
}

QWidget *TFormSetup::BuildInterfacePage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *text = new QLabel(QStringLiteral("Alle verfügbaren Geräte werden automatisch im Geräte-Explorer angezeigt. "
                                           "Nur Geräte mit einer RS232 Schnittstelle müssen hier eingestellt werden."),
                            page);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *row = new QHBoxLayout;
    LabelPort = new QLabel(tr("RS232 Port"), page);
    LabelPort->setObjectName(QStringLiteral("LabelPort"));
    ComboPort = new QComboBox(page);
    ComboPort->setObjectName(QStringLiteral("ComboPort"));
    ComboPort->setMinimumWidth(120);
    row->addWidget(LabelPort);
    row->addWidget(ComboPort);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

QWidget *TFormSetup::BuildExportPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    CheckReportPreview = MakeCheck(tr("Show file after export"), "CheckReportPreview", page);
    layout->addWidget(CheckReportPreview);

    auto *elements = new QGroupBox(tr("Elements to be exported"), page);
    auto *elementsLayout = new QHBoxLayout(elements);
    auto *plain = new QVBoxLayout;
    CheckOverview = MakeCheck(tr("Overview"), "CheckOverview", elements);
    CheckStats = MakeCheck(tr("Statistics"), "CheckStats", elements);
    CheckReadings = MakeCheck(tr("Readings"), "CheckReadings", elements);
    CheckNotes = MakeCheck(tr("Notes"), "CheckNotes", elements);
    for (QCheckBox *check : {CheckOverview, CheckStats, CheckReadings, CheckNotes})
        plain->addWidget(check);
    elementsLayout->addLayout(plain);
    auto *reportOnly = new QGroupBox(tr("(only with report)"), elements);
    auto *reportLayout = new QVBoxLayout(reportOnly);
    CheckHisto = MakeCheck(tr("Histogram"), "CheckHisto", reportOnly);
    CheckTrend = MakeCheck(tr("Trenddiagram"), "CheckTrend", reportOnly);
    CheckPicture = MakeCheck(tr("Picture"), "CheckPicture", reportOnly);
    for (QCheckBox *check : {CheckHisto, CheckTrend, CheckPicture})
        reportLayout->addWidget(check);
    elementsLayout->addWidget(reportOnly);
    layout->addWidget(elements);

    auto *output = new QFormLayout;
    ComboReportOutput = new QComboBox(page);
    ComboReportOutput->setObjectName(QStringLiteral("ComboReportOutput"));
    ComboReportOutput->addItems({tr("Presentation (detailed over several pages)"),
                                 tr("Compact (summarized on one page)")});
    output->addRow(tr("Report output:"), ComboReportOutput);
    layout->addLayout(output);

    auto *exportDir = new QGroupBox(tr("Favourite directory for data export. "), page);
    (new QVBoxLayout(exportDir))->addWidget(BrowseRow(EditExportDir, "EditExportDir", "btnExportDir", exportDir,
                                                      [this] { ChooseExportFolder(); }));
    layout->addWidget(exportDir);
    auto *logo = new QGroupBox(tr("Company logo (only for report)"), page);
    (new QVBoxLayout(logo))->addWidget(BrowseRow(EditCompanyLogo, "EditCompanyLogo", "btnCompanyLogo", logo,
                                                 [this] { ChooseCompanyLogo(); }));
    layout->addWidget(logo);
    layout->addStretch(1);
    return page;
}

QWidget *TFormSetup::BuildViewPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    CheckQuickView = MakeCheck(tr("Quick info of batches"), "CheckQuickView", page);
    CheckShowDeleteReadings = MakeCheck(tr("Show deleted readings"), "CheckShowDeleteReadings", page);
    layout->addWidget(CheckQuickView);
    layout->addWidget(CheckShowDeleteReadings);
    layout->addStretch(1);
    return page;
}

void TFormSetup::ApplyBrand()
{
    if (FMain.Info().Switches().unitSettings)
        return;
    GroupUnit->hide();
    for (TPage page : {tpGeneral, tpInterface, tpExport}) {
        QToolButton *button = PageButton(page);
        FPageButtons->removeButton(button);
        delete button;
    }
    ShowPage(tpView);
}

QToolButton *TFormSetup::PageButton(TPage page) const
{
    return qobject_cast<QToolButton *>(FPageButtons->button(page));
}

TFormSetup::TPage TFormSetup::CurrentPage() const
{
    return TPage(FPages->currentIndex());
}

void TFormSetup::ShowPage(TPage page)
{
    FPages->setCurrentIndex(page);
    if (QToolButton *button = PageButton(page))
        button->setChecked(true);
}

void TFormSetup::showEvent(QShowEvent *event)
{
    FWork = FMain.Record();
    LoadControls();
    QDialog::showEvent(event);
}

void TFormSetup::done(int result)
{
    ReadControls();
    if (result == QDialog::Accepted) {
        FMain.SetRecord(FWork);
        TDevice chosen = NoSerialDevice();
        for (const TDevice &device : FMain.ConnectionLink()->SerialDevices())
            if (FWork.RS232 != 0 && device.PortNumber == FWork.RS232)
                chosen = device;
        FMain.ConnectionLink()->RaiseDeviceFound(chosen);
    }
    QDialog::done(result);
}

void TFormSetup::RebuildPortList()
{
    TConnectionLink *link = FMain.ConnectionLink();
    ComboPort->clear();
    ComboPort->addItem(tr("None"), 0);
    for (const TDevice &device : link->SerialDevices())
        ComboPort->addItem(QStringLiteral("COM%1").arg(device.PortNumber), device.PortNumber);
    const bool available = link->SerialPortsAvailable();
    LabelPort->setEnabled(available);
    ComboPort->setEnabled(available);
}

void TFormSetup::SelectPortEntry(int rs232)
{
    if (ComboPort->count() == 0)
        RebuildPortList();
    ComboPort->setCurrentIndex(rs232 != 0 ? ComboPort->findText(QStringLiteral("COM%1").arg(rs232)) : 0);
}

void TFormSetup::LoadControls()
{
    ComboBaseUnit->setCurrentIndex(FWork.BaseUnit < ComboBaseUnit->count() ? FWork.BaseUnit : -1);
    CheckFixDecimal->setChecked(FWork.FixDecimal);
    SpinDecimal->setValue(FWork.Decimal);
    CheckAutoRange->setChecked(FWork.AutoRange);
    ComboSeparator->setCurrentIndex(FWork.DecimalSeparator == QLatin1Char('.') ? 0 : 1);
    CheckUseDefaultNotes->setChecked(FWork.UseDefaultNotes);
    EditNotesDefaultDir->setText(FWork.NotesDefaultDir);
    CheckReportPreview->setChecked(FWork.ReportPreview);
    CheckOverview->setChecked(FWork.ExportOverview);
    CheckStats->setChecked(FWork.ExportStats);
    CheckReadings->setChecked(FWork.ExportReadings);
    CheckNotes->setChecked(FWork.ExportNotes);
    CheckHisto->setChecked(FWork.ExportHisto);
    CheckTrend->setChecked(FWork.ExportTrend);
    CheckPicture->setChecked(FWork.ExportPicture);
    ComboReportOutput->setCurrentIndex(FWork.ReportOutput == 1 ? 1 : 0);
    EditExportDir->setText(FWork.ExportDir);
    EditCompanyLogo->setText(FWork.CompanyLogo);
    CheckQuickView->setChecked(FWork.QuickView);
    CheckShowDeleteReadings->setChecked(FWork.ShowDeleteReadings);
    RebuildPortList();
    SelectPortEntry(FWork.RS232);
}

void TFormSetup::ReadControls()
{
    // A unit the drop-down cannot show (the brand units 6 and 7, whose group
    // is hidden) stays as it was.
    if (GroupUnit->isVisibleTo(this) && ComboBaseUnit->currentIndex() >= 0)
        FWork.BaseUnit = quint8(ComboBaseUnit->currentIndex());
    FWork.FixDecimal = CheckFixDecimal->isChecked();
    FWork.Decimal = SpinDecimal->value();
    FWork.AutoRange = CheckAutoRange->isChecked();
    FWork.DecimalSeparator = ComboSeparator->currentIndex() == 0 ? QChar(46) : QChar(44);
    FWork.UseDefaultNotes = CheckUseDefaultNotes->isChecked();
    FWork.NotesDefaultDir = EditNotesDefaultDir->text();
    FWork.ReportPreview = CheckReportPreview->isChecked();
    FWork.ExportOverview = CheckOverview->isChecked();
    FWork.ExportStats = CheckStats->isChecked();
    FWork.ExportReadings = CheckReadings->isChecked();
    FWork.ExportNotes = CheckNotes->isChecked();
    FWork.ExportHisto = CheckHisto->isChecked();
    FWork.ExportTrend = CheckTrend->isChecked();
    FWork.ExportPicture = CheckPicture->isChecked();
    FWork.ReportOutput = ComboReportOutput->currentIndex();
    FWork.ExportDir = EditExportDir->text();
    FWork.CompanyLogo = EditCompanyLogo->text();
    FWork.QuickView = CheckQuickView->isChecked();
    FWork.ShowDeleteReadings = CheckShowDeleteReadings->isChecked();
    FWork.RS232 = 0;
    for (const TDevice &device : FMain.ConnectionLink()->SerialDevices())
        if (QStringLiteral("COM%1").arg(device.PortNumber) == ComboPort->currentText())
            FWork.RS232 = quint8(device.PortNumber);
}

void TFormSetup::ChooseNotesDocument()
{
    const QString file = QFileDialog::getOpenFileName(this, QString(), EditNotesDefaultDir->text(),
                                                      QStringLiteral("(*.doc, *.rtf, *.txt) (*.doc *.rtf *.txt)"));
    if (!file.isEmpty())
        EditNotesDefaultDir->setText(QDir::toNativeSeparators(file));
}

void TFormSetup::ChooseExportFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QString(), EditExportDir->text(),
                                                             QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        EditExportDir->setText(QDir::toNativeSeparators(folder));
}

void TFormSetup::ChooseCompanyLogo()
{
    const QString file = QFileDialog::getOpenFileName(this, QString(), EditCompanyLogo->text(),
                                                      QStringLiteral("(*.jpg, *.bmp) (*.jpg *.bmp)"));
    if (!file.isEmpty())
        EditCompanyLogo->setText(QDir::toNativeSeparators(file));
}
