#include "support_app.h"

#include "platform/Printer.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>

#include <csignal>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace apptest {

QApplication* EnsureApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return existing;
    static int argc = 1;
    static char name[] = "tallyforge-test";
    static char* argv[] = { name, nullptr };
    return new QApplication(argc, argv);
}

void UseHome(const QString& home)
{
    QDir().mkpath(home + QStringLiteral("/Documents"));
    QDir().mkpath(home + QStringLiteral("/.config"));
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", (home + QStringLiteral("/Documents")).toLocal8Bit());
}

void UsePdfPrinterOnly()
{
    static QTemporaryDir home;
    UseHome(home.path());
    qputenv("CUPS_SERVER", "127.0.0.1:1"); // nothing listens: no queue, the PDF printer
    EnsureApplication();
}

void EndWithTest(QProcess& process)
{
    const pid_t test = ::getpid();
    process.setChildProcessModifier([test] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != test) // the test ended before the signal was armed
            ::_exit(1);
    });
}

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

QString Run(const QString& program, const QStringList& arguments, int* exitCode, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished)
        process.kill();
    if (exitCode)
        *exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QString& pdf, int page)
{
    QStringList arguments { QStringLiteral("-layout") };
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    return Run(QStringLiteral("pdftotext"), arguments);
}

int CountPixels(const QImage& image, const std::function<bool(const QColor&)>& is)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += is(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

int RedPixels(const QImage& image)
{
    return CountPixels(image, [](const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; });
}

int PdfPageCount(const QString& pdf)
{
    const QString info = Run(QStringLiteral("pdfinfo"), { pdf });
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"),
                                                             QRegularExpression::MultilineOption).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QSizeF PdfPageSizePoints(const QString& pdf)
{
    const QString info = Run(QStringLiteral("pdfinfo"), { pdf });
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                             QRegularExpression::MultilineOption).match(info);
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

QPointF PrintableOriginPoints()
{
    const TDeviceCaps caps = Printer().DeviceCaps();
    return QPointF(caps.PhysicalOffsetX * 72.0 / caps.LogPixelsX, caps.PhysicalOffsetY * 72.0 / caps.LogPixelsY);
}

QList<PdfWord> PdfWords(const QString& pdf)
{
    const QString xhtml = Run(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    QList<PdfWord> words;
    QXmlStreamReader reader(xhtml);
    int page = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("page")) {
            ++page;
        } else if (reader.name() == QLatin1String("word")) {
            PdfWord word;
            word.page = page;
            const QXmlStreamAttributes attributes = reader.attributes();
            word.xMin = attributes.value(QLatin1String("xMin")).toDouble();
            word.yMin = attributes.value(QLatin1String("yMin")).toDouble();
            word.xMax = attributes.value(QLatin1String("xMax")).toDouble();
            word.yMax = attributes.value(QLatin1String("yMax")).toDouble();
            word.text = reader.readElementText();
            words.append(word);
        }
    }
    return words;
}

QList<PdfWord> PdfWordsOnPage(const QList<PdfWord>& words, int page, const QString& text)
{
    QList<PdfWord> found;
    for (const PdfWord& word : words)
        if (word.page == page && word.text == text)
            found << word;
    std::sort(found.begin(), found.end(), [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });
    return found;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString IniValue(const QString& path, const QString& section, const QString& key)
{
    QString value;
    QString current;
    const QStringList lines = ReadText(path).split(QRegularExpression(QStringLiteral("\r?\n")));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && current.compare(section, Qt::CaseInsensitive) == 0
            && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            value = line.mid(eq + 1).trimmed();
    }
    return value;
}

void WriteArtworkPdf(const QString& path, const QSizeF& points, const QRectF& block, const QColor& color)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.fillRect(block, color);
}

} // namespace apptest
