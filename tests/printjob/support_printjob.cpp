#include "support_printjob.h"

#include "TestApplication.h"

#include "platform/Application.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

namespace testsupport {

TDeviceCaps Letter600()
{
    return TDeviceCaps{600, 600, 5100, 6600, 100, 100, 4900, 6400};
}

TDeviceCaps Letter600Offset100x120()
{
    return TDeviceCaps{600, 600, 5100, 6600, 100, 120, 4900, 6360};
}

PrinterFixture::PrinterFixture()
{
    app::SetQuestionHandler([](const QString&, const QString& text) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    });
    app::SetErrorHandler([](const QString&, const QString& text) {
        ADD_FAILURE() << "unexpected error box: " << text.toStdString();
    });
    Install(Letter600());
}

PrinterFixture::~PrinterFixture()
{
    TCustomPrintJob::SetPrintDialogHandler(nullptr);
    TCustomPrintJob::SetSetupDialogHandler(nullptr);
    TPrinter::ResetForTests();
    app::SetQuestionHandler(nullptr);
    app::SetErrorHandler(nullptr);
    if (!tempDir_.isEmpty())
        QDir(tempDir_).removeRecursively();
}

void PrinterFixture::Install(const TDeviceCaps& caps)
{
    TPrinter::InstallTestDevice(caps);
}

QString PrinterFixture::TempPdf(const QString& name)
{
    if (tempDir_.isEmpty()) {
        QTemporaryDir dir;
        dir.setAutoRemove(false);
        tempDir_ = dir.path();
    }
    return QDir(tempDir_).filePath(name);
}

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPageCount(const QString& file)
{
    const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString PdfPageText(const QString& file, int page)
{
    const QString n = QString::number(page);
    return RunTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), n, QStringLiteral("-l"), n, file, QStringLiteral("-")}).trimmed();
}

} // namespace testsupport
