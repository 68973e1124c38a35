#pragma once

#include <QColor>
#include <QDialog>
#include <QPoint>

class QLabel;
class QPushButton;
class TProgramInfo;

// What the splash and the About box show about the program.
struct TStartContent
{
    QString OwnerText;
    QString ProductName;
    QString CompanyName;
    int VersionMajor = 0;
    int VersionMinor = 0;
    int Build = 0;
    bool PreRelease = false;

    static TStartContent Of(const TProgramInfo &info);
};

// The splash window shown during start-up, and again, with the version and
// an OK button, as the About box. It closes only through CloseForm(), which
// fades it out first.
class TFormStart : public QDialog
{
    Q_OBJECT

public:
    enum TMode { fmSplash, fmAbout };

    TFormStart(const TStartContent &content, TMode mode, QWidget *parent = nullptr);

    // The edition text that follows the product name in titles.
    static QString EditionText();

    // Fades the window out (alpha down by 2 every millisecond) and hides it.
    void BlendOut();
    // Allows closing, fades out, sets the result to OK and closes.
    void CloseForm();

    QString ManufacturerText() const;
    QString WebAddress() const { return FWebAddress; }
    QColor GradientStart() const { return FGradientStart; }
    QColor GradientEnd() const { return FGradientEnd; }
    // The brand logo shown ("word" for the two-part word logo, empty for none).
    QString LogoName() const { return FLogoName; }
    QString ProductLabel() const;
    QString EditionLabel() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void reject() override;

private:
    void BuildContent(const TStartContent &content, TMode mode);
    void ApplyBrand(const QString &companyName);
    void OpenWebAddress();

    QWidget *FBand = nullptr;
    QLabel *LabelProduct = nullptr;
    QLabel *LabelEdition = nullptr;
    QLabel *LabelManufacturer = nullptr;
    QLabel *LabelWeb = nullptr;
    QLabel *LabelLogoFirst = nullptr;
    QLabel *LabelLogoSecond = nullptr;
    QLabel *ImageLogo = nullptr;
    QPushButton *btnOK = nullptr;
    QString FWebAddress;
    QString FLogoName;
    QColor FGradientStart{0, 89, 147};
    QColor FGradientEnd{0, 110, 61};
    QPoint FDragOffset;
    bool FCanClose = false;
};
