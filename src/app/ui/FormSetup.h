#pragma once

#include "app/Settings.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class TMainScreen;

// The settings dialog. It edits a working copy of the main window's settings
// record, loaded when it shows and read back when it closes; only OK hands
// the copy to the main window and reports the chosen serial port.
class TFormSetup : public QDialog
{
    Q_OBJECT

public:
    enum TPage { tpGeneral = 0, tpInterface = 1, tpExport = 2, tpView = 3 };

    explicit TFormSetup(TMainScreen &main);

    // Selects "COM" + rs232 in the port list, or the first entry for 0.
    void SelectPortEntry(int rs232);
    const TSettingsRecord &WorkingCopy() const { return FWork; }
    QComboBox *PortList() const { return ComboPort; }
    QToolButton *PageButton(TPage page) const;
    TPage CurrentPage() const;
    void ShowPage(TPage page);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *BuildGeneralPage();
    QWidget *BuildInterfacePage();
    QWidget *BuildExportPage();
    QWidget *BuildViewPage();
    QWidget *BuildPageBar();
    void ApplyBrand();
    void RebuildPortList();
    void LoadControls();
    void ReadControls();
    void ChooseNotesDocument();
    void ChooseExportFolder();
    void ChooseCompanyLogo();

    TMainScreen &FMain;
    TSettingsRecord FWork;
    QButtonGroup *FPageButtons = nullptr;
    QStackedWidget *FPages = nullptr;
    QGroupBox *GroupUnit = nullptr;
    QComboBox *ComboBaseUnit = nullptr;
    QCheckBox *CheckFixDecimal = nullptr;
    QSpinBox *SpinDecimal = nullptr;
    QCheckBox *CheckAutoRange = nullptr;
    QComboBox *ComboSeparator = nullptr;
    QCheckBox *CheckUseDefaultNotes = nullptr;
    QLineEdit *EditNotesDefaultDir = nullptr;
    QLabel *LabelPort = nullptr;
    QComboBox *ComboPort = nullptr;
    QCheckBox *CheckReportPreview = nullptr;
    QCheckBox *CheckOverview = nullptr;
    QCheckBox *CheckStats = nullptr;
    QCheckBox *CheckReadings = nullptr;
    QCheckBox *CheckNotes = nullptr;
    QCheckBox *CheckHisto = nullptr;
    QCheckBox *CheckTrend = nullptr;
    QCheckBox *CheckPicture = nullptr;
    QComboBox *ComboReportOutput = nullptr;
    QLineEdit *EditExportDir = nullptr;
    QLineEdit *EditCompanyLogo = nullptr;
    QCheckBox *CheckQuickView = nullptr;
    QCheckBox *CheckShowDeleteReadings = nullptr;
};
