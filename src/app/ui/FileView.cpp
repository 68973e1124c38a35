#include "app/ui/FileView.h"

#include "app/ui/FileBrowser.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QTabWidget>
#include <QVBoxLayout>

TFileView::TFileView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MultiPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    FHeader = new QWidget(this);
    FHeader->setObjectName(QStringLiteral("FileHeader"));
    auto *header = new QGridLayout(FHeader);
    header->setContentsMargins(0, 0, 0, 0);
    FThumbnail = new QLabel(FHeader);
    FThumbnail->setFixedSize(48, 48);
    FName = new QLabel(FHeader);
    QFont bold = FName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    FName->setFont(bold);
    FFolder = new QLabel(FHeader);
    FFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    header->addWidget(FThumbnail, 0, 0, 2, 1);
    header->addWidget(FName, 0, 1);
    header->addWidget(FFolder, 1, 1);
    header->setColumnStretch(1, 1);
    layout->addWidget(FHeader);

    FPreview = new QLabel(this);
    FPreview->setObjectName(QStringLiteral("FilePreview"));
    FPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FPreview->setWordWrap(true);
    layout->addWidget(FPreview);

    FParamPreview = new QWidget(this);
    FParamPreview->setObjectName(QStringLiteral("ZQParamPreview"));
    layout->addWidget(FParamPreview);

    FBatchPages = new QTabWidget(this);
    FBatchPages->setObjectName(QStringLiteral("BatchPageControl"));
    for (const char *page : {QT_TR_NOOP("Overview"), QT_TR_NOOP("Statistics"), QT_TR_NOOP("Readings"),
                             QT_TR_NOOP("Histogram"), QT_TR_NOOP("Trend diagram"), QT_TR_NOOP("Pictures"),
                             QT_TR_NOOP("Notes")})
        FBatchPages->addTab(new QWidget(FBatchPages), tr(page));
    layout->addWidget(FBatchPages, 1);

    FEmpty = new QLabel(tr("Select a file in the list above to show it here."), this);
    FEmpty->setAlignment(Qt::AlignCenter);
    FEmpty->setStyleSheet(QStringLiteral("color: grey;"));
    layout->addWidget(FEmpty, 1);
    CloseFile();
}

void TFileView::ShowFile(const QString &path)
{
    CloseFile();
    const QFileInfo info(path);
    if (!info.exists())
        return;
    FPath = info.absoluteFilePath();
    FThumbnail->setPixmap(TFileIconProvider().icon(info).pixmap(48, 48));
    FName->setText(info.fileName());
    FFolder->setText(info.absolutePath());
    FPreview->setText(info.isDir() ? tr("Folder")
                                   : tr("%1, modified %2").arg(QLocale().formattedDataSize(info.size()),
                                                               QLocale().toString(info.lastModified(), QLocale::ShortFormat)));
    FHeader->show();
    FPreview->show();
    FEmpty->hide();
    emit FileShown(FPath);
}

void TFileView::CloseFile()
{
    FHeader->hide();
    FPreview->hide();
    FParamPreview->hide();
    FBatchPages->hide();
    FEmpty->show();
    if (!FPath.isEmpty()) {
        FPath.clear();
        emit FileClosed();
    }
}
