#include "shell/helpviewer.h"

#include <QFile>
#include <QTextBrowser>

void showHelp(const QString &helpFile)
{
    auto *viewer = new QTextBrowser;
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setObjectName(QStringLiteral("helpViewer"));
    viewer->setWindowTitle(QStringLiteral("Quillmark ヘルプ"));
    viewer->setOpenExternalLinks(true);
    QFile file(helpFile);
    if (file.open(QIODevice::ReadOnly))
        viewer->setMarkdown(QString::fromUtf8(file.readAll()));
    else
        viewer->setPlainText(QStringLiteral("ヘルプファイル %1 を開けません。").arg(helpFile));
    viewer->resize(720, 640);
    viewer->show();
}
