#include "app/ui/FormStart.h"

#include "app/ProgramInfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QUrl>

namespace {

constexpr int FormWidth = 452;
constexpr int FormHeight = 292;

// The gradient band behind the product name. It takes mouse presses itself,
// so only the window's own background drags the window.
class TGradientBand : public QWidget
{
public:
    TGradientBand(const QColor &start, const QColor &end, QWidget *parent)
        : QWidget(parent), FStart(start), FEnd(end)
    {
    }
    void SetColours(const QColor &start, const QColor &end)
    {
        FStart = start;
        FEnd = end;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, width(), 0);
        gradient.setColorAt(0, FStart);
        gradient.setColorAt(1, FEnd);
        painter.fillRect(rect(), gradient);
    }
    void mousePressEvent(QMouseEvent *event) override { event->accept(); }

private:
    QColor FStart;
    QColor FEnd;
};

QLabel *MakeLabel(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QFont PixelFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

TStartContent TStartContent::Of(const TProgramInfo &info)
{
    TStartContent content;
    content.OwnerText = info.OwnerText();
    content.ProductName = info.ProductName();
    content.CompanyName = info.CompanyName();
    content.VersionMajor = info.VersionMajor();
    content.VersionMinor = info.VersionMinor();
    content.Build = info.Build();
    content.PreRelease = info.PreRelease();
    return content;
}

TFormStart::TFormStart(const TStartContent &content, TMode mode, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("FormStart"));
    setWindowTitle(tr("Info"));
    setFixedSize(FormWidth, FormHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    BuildContent(content, mode);
    ApplyBrand(content.CompanyName);
    // A hairline edge keeps the borderless window apart from a light desktop.
    auto *edge = new QFrame(this);
    edge->setGeometry(rect());
    edge->setFrameShape(QFrame::Box);
    edge->setStyleSheet(QStringLiteral("color: #b0b0b0;"));
    edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    edge->raise();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

QString TFormStart::EditionText()
{
    return tr("Professional") + tr(" Edition");
}

void TFormStart::BuildContent(const TStartContent &content, TMode mode)
{
    auto *owner = MakeLabel(this, content.OwnerText, QRect(12, 8, 250, 62));
    owner->setObjectName(QStringLiteral("LabelOwner"));
    owner->setWordWrap(true);
    owner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    owner->setStyleSheet(QStringLiteral("color: grey;"));

    LabelLogoFirst = MakeLabel(this, QString(), QRect(262, 14, 90, 40));
    LabelLogoFirst->setObjectName(QStringLiteral("LabelLogoFirst"));
    LabelLogoFirst->setFont(PixelFont(22, true));
    LabelLogoFirst->setStyleSheet(QStringLiteral("color: grey;"));
    LabelLogoSecond = MakeLabel(this, QString(), QRect(352, 14, 92, 40));
    LabelLogoSecond->setObjectName(QStringLiteral("LabelLogoSecond"));
    LabelLogoSecond->setFont(PixelFont(22, false));
    ImageLogo = MakeLabel(this, QString(), QRect(292, 8, 152, 56));
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    FBand = new TGradientBand(FGradientStart, FGradientEnd, this);
    FBand->setGeometry(0, 74, FormWidth, 122);
    LabelProduct = MakeLabel(FBand, content.ProductName, QRect(14, 0, 430, 78));
    LabelProduct->setObjectName(QStringLiteral("LabelProduct"));
    LabelProduct->setFont(PixelFont(64, true));
    LabelProduct->setStyleSheet(QStringLiteral("color: white;"));
    LabelEdition = MakeLabel(FBand, EditionText(), QRect(16, 72, 300, 30));
    LabelEdition->setObjectName(QStringLiteral("LabelEdition"));
    LabelEdition->setFont(PixelFont(24, true));
    LabelEdition->setStyleSheet(QStringLiteral("color: white;"));
    LabelWeb = MakeLabel(FBand, QString(), QRect(200, 100, 244, 20));
    LabelWeb->setObjectName(QStringLiteral("LabelWeb"));
    LabelWeb->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelWeb->setStyleSheet(QStringLiteral("color: white;"));
    LabelWeb->setCursor(Qt::PointingHandCursor);
    connect(LabelWeb, &QLabel::linkActivated, this, &TFormStart::OpenWebAddress);

    const bool about = mode == fmAbout;
    auto *version = MakeLabel(this, tr("Version") + QStringLiteral(" %1.%2").arg(content.VersionMajor).arg(content.VersionMinor),
                              QRect(14, 204, 120, 18));
    version->setObjectName(QStringLiteral("LabelVersion"));
    version->setVisible(about);
    auto *build = MakeLabel(this, tr("Build") + QStringLiteral(" %1").arg(content.Build), QRect(134, 204, 120, 18));
    build->setObjectName(QStringLiteral("LabelBuild"));
    build->setVisible(about);
    auto *test = MakeLabel(this, tr("Test version"), QRect(290, 204, 150, 18));
    test->setObjectName(QStringLiteral("LabelTestVersion"));
    test->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    test->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    test->setVisible(content.PreRelease);

    auto *notice = MakeLabel(this, tr("Software for measurement data management by"), QRect(14, 236, 300, 18));
    notice->setObjectName(QStringLiteral("LabelNotice"));
    notice->setStyleSheet(QStringLiteral("color: #505050;"));
    LabelManufacturer = MakeLabel(this, QString(), QRect(14, 254, 300, 20));
    LabelManufacturer->setObjectName(QStringLiteral("LabelManufacturer"));
    LabelManufacturer->setFont(PixelFont(14, true));

    auto *language = MakeLabel(this, tr("ENG"), QRect(410, 272, 34, 16));
    language->setObjectName(QStringLiteral("LabelLanguage"));
    language->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    language->setStyleSheet(QStringLiteral("color: #909090; font-size: 9px;"));

    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(344, 238, 90, 28);
    btnOK->setVisible(about);
    connect(btnOK, &QPushButton::clicked, this, &TFormStart::CloseForm);
}

void TFormStart::ApplyBrand(const QString &companyName)
{
    const TSplashBrand brand = SplashBrandOf(companyName);
    LabelManufacturer->setText(brand.manufacturer);
    FWebAddress = brand.webAddress;
    FLogoName = brand.logo;
    FGradientStart = QColor(brand.gradientStart.red, brand.gradientStart.green, brand.gradientStart.blue);
    FGradientEnd = QColor(brand.gradientEnd.red, brand.gradientEnd.green, brand.gradientEnd.blue);
    static_cast<TGradientBand *>(FBand)->SetColours(FGradientStart, FGradientEnd);
    LabelWeb->setText(QStringLiteral("<a href=\"web\" style=\"color: white; text-decoration: none;\">%1</a>")
                          .arg(FWebAddress.toHtmlEscaped()));
    if (FLogoName == QLatin1String("WordLogo")) {
        // The two-part word logo: first part grey bold, second part black.
        LabelLogoFirst->setText(QStringLiteral("KORVEN"));
        LabelLogoSecond->setText(QStringLiteral("thalium"));
        // The two parts sit side by side, flush with the right margin.
        LabelLogoFirst->adjustSize();
        LabelLogoSecond->adjustSize();
        const int right = FormWidth - 12;
        LabelLogoSecond->move(right - LabelLogoSecond->width(), 20);
        LabelLogoFirst->move(LabelLogoSecond->x() - LabelLogoFirst->width(), 20);
    } else if (!FLogoName.isEmpty()) {
        ImageLogo->setObjectName(FLogoName);
        ImageLogo->setPixmap(QIcon(QStringLiteral(":/brands/%1.svg").arg(FLogoName)).pixmap(QSize(152, 56)));
    }
}

QString TFormStart::ManufacturerText() const
{
    return LabelManufacturer->text();
}

QString TFormStart::ProductLabel() const
{
    return LabelProduct->text();
}

QString TFormStart::EditionLabel() const
{
    return LabelEdition->text();
}

void TFormStart::OpenWebAddress()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + FWebAddress));
}

void TFormStart::BlendOut()
{
    // Platforms without window opacity (the offscreen one of the tests)
    // just hide the window.
    const QString platform = QGuiApplication::platformName();
    const bool canFade = platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
    if (isVisible() && canFade) {
        QElapsedTimer clock;
        for (qreal alpha = windowOpacity() * 255; alpha > 2; alpha -= 2) {
            setWindowOpacity(alpha / 255);
            clock.start();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            while (clock.elapsed() < 1)
                QThread::usleep(200);
        }
    }
    hide();
    setWindowOpacity(1.0);
}

void TFormStart::CloseForm()
{
    FCanClose = true;
    BlendOut();
    setResult(QDialog::Accepted);
    done(QDialog::Accepted);
    close();
}

void TFormStart::closeEvent(QCloseEvent *event)
{
    if (FCanClose)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TFormStart::reject()
{
    // Esc and other close requests are refused until the close routine ran.
    if (FCanClose)
        QDialog::reject();
}

void TFormStart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void TFormStart::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - FDragOffset);
    QDialog::mouseMoveEvent(event);
}
