// Artwork under the numbers, through the built program: a template made here (text, a
// vector shape and an image) printed under a long run, stored once, and drawn as qpdf's
// own underlay draws it; and bad templates refused before any number is taken.
#include "support_app.h"

#include "run/Journal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kArtworkText = QStringLiteral("ARTWORKMARK");

class TemplateTest : public testing::Test {
protected:
    void SetUp() override
    {
        apptest::EnsureApplication();
        ASSERT_TRUE(dir_.isValid());
        settings_ = Path(QStringLiteral("Tallyforge.ini"));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=0\r\nPageCount=3\r\nPrefix=S-\r\n\r\n[Paper]\r\nHorizontalIndent=4\r\nVerticalIndent=5\r\n"
                   "HorizontalIndent2=4\r\nVerticalIndent2=8\r\n\r\n");
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Exit code and standard error of one run of the program.
    // `wrapper`: a program the built one runs under (prlimit and its options).
    std::pair<int, QString> Run(QStringList arguments, QStringList wrapper = {})
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("HOME"), dir_.path());
        environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1")); // the PDF printer only
        program.setProcessEnvironment(environment);
        apptest::EndWithTest(program);
        arguments << QStringLiteral("--settings") << settings_ << QStringLiteral("--quiet");
        const QString binary = qEnvironmentVariable("TALLYFORGE_BINARY_DIR") + QStringLiteral("/src/app/tallyforge");
        if (wrapper.isEmpty())
            program.start(binary, arguments);
        else
            program.start(wrapper.takeFirst(), wrapper << binary << arguments);
        if (!program.waitForFinished(120000))
            return { -1, QString() };
        return { program.exitCode(), QString::fromLocal8Bit(program.readAllStandardError()) };
    }

    // One page of artwork: a word, a filled vector shape and an image.
    void MakeTemplate(const QString& path, const QSizeF& points, int pages = 1)
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(72);
        QPainter painter(&writer);
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                writer.newPage();
            QPainterPath shape;
            shape.addRoundedRect(QRectF(72, 72, 300, 90), 20, 20);
            painter.fillPath(shape, QColor(20, 40, 200));
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPointSize(24);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(90, 240), kArtworkText);
            QImage image(64, 64, QImage::Format_RGB32);
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                    image.setPixel(x, y, qRgb(x * 4, 255 - y * 4, 90));
            painter.drawImage(QRectF(380, 72, 128, 128), image);
        }
    }

    QString LastNumber() const { return apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")); }

    QTemporaryDir dir_;
    QString settings_;
};

// Pixels whose colour differs by more than antialiasing does.
double DifferentShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 different = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column)
            if (std::abs(qRed(p[column]) - qRed(q[column])) > 48 || std::abs(qGreen(p[column]) - qGreen(q[column])) > 48
                || std::abs(qBlue(p[column]) - qBlue(q[column])) > 48)
                ++different;
    }
    return double(different) / (double(x.width()) * x.height());
}

QImage Render(const QString& pdf, int page, const QString& stem)
{
    int code = -1;
    apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("150"),
                                               QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page),
                                               QStringLiteral("-l"), QString::number(page), pdf, stem }, &code);
    return code == 0 ? QImage(stem + QStringLiteral(".png")) : QImage();
}

// Every stream object of the file by its /Subtype ("/Image", "/Form"), from qpdf's JSON.
QMap<QString, int> StreamSubtypes(const QString& pdf)
{
    int code = -1;
    const QString json = apptest::Run(QStringLiteral("qpdf"), { QStringLiteral("--json=2"), QStringLiteral("--json-key=qpdf"), pdf }, &code);
    QMap<QString, int> counts;
    if (code != 0)
        return counts;
    const QJsonArray qpdf = QJsonDocument::fromJson(json.toUtf8()).object().value(QStringLiteral("qpdf")).toArray();
    const QJsonObject objects = qpdf.at(1).toObject();
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const QJsonObject dict = it.value().toObject().value(QStringLiteral("stream")).toObject().value(QStringLiteral("dict")).toObject();
        if (dict.contains(QStringLiteral("/Subtype")))
            ++counts[dict.value(QStringLiteral("/Subtype")).toString()];
    }
    return counts;
}

TEST_F(TemplateTest, ArtworkUnderAThousandSheetsIsStoredOnceAndDrawnAsQpdfUnderlaysIt)
{
    // The numbers alone first: the paper they go on, and the reference's pages.
    const QString plain = Path(QStringLiteral("plain.pdf"));
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--start"), QStringLiteral("1"),
                    QStringLiteral("--count"), QStringLiteral("1000"), QStringLiteral("--output"), plain }).first, 0);
    const QSizeF paper = apptest::PdfPageSizePoints(plain);
    ASSERT_GT(paper.width(), 0);
    const QString artwork = Path(QStringLiteral("artwork.pdf"));
    MakeTemplate(artwork, paper);

    const QString printed = Path(QStringLiteral("printed.pdf"));
    const auto [code, errors] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("1000"), QStringLiteral("--force"),
                                      QStringLiteral("--template"), artwork, QStringLiteral("--output"), printed });
    ASSERT_EQ(code, 0) << errors.toStdString();
    EXPECT_EQ(LastNumber(), QStringLiteral("1000"));

    // The artwork's text and the page's own serial on every page.
    const QStringList pages = apptest::PdfText(printed).split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 1000);
    for (int page = 0; page < 1000; ++page) {
        ASSERT_TRUE(pages[page].contains(kArtworkText)) << "page " << page + 1;
        ASSERT_TRUE(pages[page].contains(QStringLiteral("S-%1").arg(page + 1))) << "page " << page + 1;
    }
    // One copy of the artwork: the page as one form, its image once.
    const QMap<QString, int> subtypes = StreamSubtypes(printed);
    EXPECT_EQ(subtypes.value(QStringLiteral("/Form")), 1);
    EXPECT_EQ(subtypes.value(QStringLiteral("/Image")), 1);

    // Drawn where qpdf's own underlay puts a page of the paper's size.
    const QString reference = Path(QStringLiteral("reference.pdf"));
    int qpdfCode = -1;
    apptest::Run(QStringLiteral("qpdf"), { plain, QStringLiteral("--underlay"), artwork, QStringLiteral("--repeat=1"),
                                           QStringLiteral("--"), reference }, &qpdfCode);
    ASSERT_EQ(qpdfCode, 0);
    // Pages 500 and 501 are drawn in different parts of the document: the second on a
    // painter begun again, with the drawing state carried over.
    for (const int page : { 500, 501 }) {
        const QImage ours = Render(printed, page, Path(QStringLiteral("ours%1").arg(page)));
        const QImage theirs = Render(reference, page, Path(QStringLiteral("theirs%1").arg(page)));
        ASSERT_FALSE(ours.isNull());
        EXPECT_LE(DifferentShare(ours, theirs), 0.01) << "page " << page;
        // The comparison sees the artwork: without it the page differs from the reference.
        EXPECT_GT(DifferentShare(Render(plain, page, Path(QStringLiteral("plain%1").arg(page))), theirs), 0.01);
    }
    // The file as the program writes it, object by object, is sound to a strict reader.
    int checkCode = -1;
    const QString check = apptest::Run(QStringLiteral("qpdf"), { QStringLiteral("--check"), printed }, &checkCode);
    EXPECT_EQ(checkCode, 0) << check.toStdString();

    // The journal names the artwork and the bytes that were printed.
    QFile file(artwork);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
    const QList<TJournalRecord> runs = TJournal(TJournal::PathBeside(settings_)).Runs();
    ASSERT_FALSE(runs.isEmpty());
    EXPECT_EQ(runs.first().templateName, artwork);
    EXPECT_EQ(runs.first().templateSha256, sha);
}

// A reprint takes the artwork its serials were printed on, without being told, and asks
// first when that file has changed since.
TEST_F(TemplateTest, ReprintUsesTheArtworkOfItsRunAndAsksWhenItChanged)
{
    const QString plain = Path(QStringLiteral("plain.pdf"));
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--output"), plain }).first, 0);
    QFile::remove(TJournal::PathBeside(settings_));
    const QString artwork = Path(QStringLiteral("artwork.pdf"));
    MakeTemplate(artwork, apptest::PdfPageSizePoints(plain));
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--template"), artwork,
                    QStringLiteral("--output"), Path(QStringLiteral("first.pdf")) }).first, 0);

    const QString again = Path(QStringLiteral("again.pdf"));
    ASSERT_EQ(Run({ QStringLiteral("reprint"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("--output"), again }).first, 0);
    EXPECT_TRUE(apptest::PdfText(again, 1).contains(kArtworkText));
    EXPECT_TRUE(apptest::PdfText(again, 2).contains(kArtworkText));

    // The designer saved the file again with two pages: not the bytes the serials were
    // printed on.
    MakeTemplate(artwork, apptest::PdfPageSizePoints(plain), 2);
    const QString changed = Path(QStringLiteral("changed.pdf"));
    const auto [exit, errors] = Run({ QStringLiteral("reprint"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("--output"), changed });
    EXPECT_EQ(exit, 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("has changed"))) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(changed));
    EXPECT_EQ(Run({ QStringLiteral("reprint"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("--force"), QStringLiteral("--output"), changed }).first, 0);
    EXPECT_TRUE(apptest::PdfText(changed, 1).contains(kArtworkText));
}

TEST_F(TemplateTest, BadTemplatesAreRefusedBeforeAnyNumberIsTaken)
{
    const QString plain = Path(QStringLiteral("plain.pdf"));
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--output"), plain }).first, 0);
    QFile::remove(TJournal::PathBeside(settings_));
    const QSizeF paper = apptest::PdfPageSizePoints(plain);
    const QString good = Path(QStringLiteral("good.pdf"));
    MakeTemplate(good, paper);
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = goodFile.readAll();

    const QString encrypted = Path(QStringLiteral("encrypted.pdf"));
    int code = -1;
    apptest::Run(QStringLiteral("qpdf"), { QStringLiteral("--encrypt"), QStringLiteral("user"), QStringLiteral("owner"), QStringLiteral("256"),
                                           QStringLiteral("--"), good, encrypted }, &code);
    ASSERT_EQ(code, 0);
    const QString damaged = Path(QStringLiteral("damaged.pdf"));
    QFile damagedFile(damaged);
    ASSERT_TRUE(damagedFile.open(QIODevice::WriteOnly));
    damagedFile.write(bytes.left(bytes.size() * 2 / 3));
    damagedFile.close();
    const QString empty = Path(QStringLiteral("empty.pdf"));
    apptest::Run(QStringLiteral("qpdf"), { QStringLiteral("--empty"), empty }, &code);
    ASSERT_EQ(code, 0);
    const QString large = Path(QStringLiteral("large.pdf"));
    MakeTemplate(large, paper + QSizeF(72, 72));
    // The page's content stream one byte longer than its /Length says: viewers show it,
    // qpdf reads it short.
    const QString text = QString::fromLatin1(bytes);
    const QRegularExpressionMatch contents = QRegularExpression(QStringLiteral(R"(/Type /Page\n[^>]*/Contents (\d+) 0 R)")).match(text);
    ASSERT_TRUE(contents.hasMatch());
    const QRegularExpressionMatch stream = QRegularExpression(QStringLiteral(R"(\n%1 0 obj\n<<\n/Length (\d+) 0 R)").arg(contents.captured(1))).match(text);
    ASSERT_TRUE(stream.hasMatch());
    const QRegularExpressionMatch length = QRegularExpression(QStringLiteral(R"(\n%1 0 obj\n(\d+)\n)").arg(stream.captured(1))).match(text);
    ASSERT_TRUE(length.hasMatch());
    QByteArray shortBytes = bytes;
    shortBytes.replace(length.capturedStart(1), length.capturedLength(1), QByteArray::number(length.captured(1).toInt() - 1));
    const QString shortLength = Path(QStringLiteral("short.pdf"));
    QFile shortFile(shortLength);
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(shortBytes);
    shortFile.close();
    const QString pipe = Path(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    const struct {
        const char* name;
        QStringList arguments;
    } cases[] = {
        { "missing", { QStringLiteral("--template"), Path(QStringLiteral("missing.pdf")) } },
        { "encrypted", { QStringLiteral("--template"), encrypted } },
        { "damaged", { QStringLiteral("--template"), damaged } },
        { "empty", { QStringLiteral("--template"), empty } },
        { "page past the end", { QStringLiteral("--template"), good, QStringLiteral("--template-page"), QStringLiteral("2") } },
        { "larger than the paper", { QStringLiteral("--template"), large } },
        { "content longer than its length", { QStringLiteral("--template"), shortLength } },
        { "a pipe", { QStringLiteral("--template"), pipe } },
    };
    const QString output = Path(QStringLiteral("out.pdf"));
    for (const auto& bad : cases) {
        const auto [exit, errors] = Run(QStringList { QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("5"),
                                                      QStringLiteral("--output"), output } + bad.arguments);
        EXPECT_EQ(exit, 1) << bad.name << ": " << errors.toStdString();
        EXPECT_TRUE(errors.contains(QFileInfo(bad.arguments[1]).fileName())) << bad.name << ": " << errors.toStdString();
        EXPECT_EQ(LastNumber(), QStringLiteral("0")) << bad.name;
        EXPECT_FALSE(QFileInfo::exists(output)) << bad.name;
        EXPECT_FALSE(QFileInfo::exists(TJournal::PathBeside(settings_))) << bad.name;
    }
    // A page no file has is the option's fault.
    const auto [exit, errors] = Run({ QStringLiteral("print"), QStringLiteral("--template"), good, QStringLiteral("--template-page"), QStringLiteral("0") });
    EXPECT_EQ(exit, 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("--template-page"))) << errors.toStdString();
    EXPECT_EQ(LastNumber(), QStringLiteral("0"));
}

} // namespace

namespace {

// The printer's calibration moves everything the run puts on the paper by the same
// amount: the numbers, a ticket's items and the artwork printed with them, so they stay
// together on the page.
TEST_F(TemplateTest, CalibrationMovesTheArtworkAndTheItemsWithTheNumbers)
{
    const QString plain = Path(QStringLiteral("plain.pdf"));
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--count"), QStringLiteral("1"),
                    QStringLiteral("--output"), plain }).first, 0);
    const QString artwork = Path(QStringLiteral("artwork.pdf"));
    MakeTemplate(artwork, apptest::PdfPageSizePoints(plain));
    QFile file(settings_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[SN]\r\nLastNumber=0\r\nPrefix=S-\r\n\r\n[Paper]\r\nHorizontalIndent=0.5\r\nVerticalIndent=0.5\r\n"
               "HorizontalIndent2=0.5\r\nVerticalIndent2=2\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=2\r\nCutMarks=1\r\n\r\n"
               "[Item3]\r\nKind=text\r\nLeft=1\r\nTop=3\r\nText=N{number}\r\n\r\n[Template]\r\nFile=artwork.pdf\r\n\r\n"
               "[Calibration]\r\nPDF.X=0.5\r\nPDF.Y=-0.25\r\n");
    file.close();
    const QString calibrated = Path(QStringLiteral("calibrated.pdf"));
    const QString uncalibrated = Path(QStringLiteral("uncalibrated.pdf"));
    // --force: the same serials twice.
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--force"), QStringLiteral("--count"),
                    QStringLiteral("4"), QStringLiteral("--output"), calibrated }).first, 0);
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--force"), QStringLiteral("--count"),
                    QStringLiteral("4"), QStringLiteral("--no-calibration"), QStringLiteral("--output"), uncalibrated }).first, 0);
    const QList<apptest::PdfWord> moved = apptest::PdfWords(calibrated);
    const QList<apptest::PdfWord> still = apptest::PdfWords(uncalibrated);
    for (const QString& word : { kArtworkText, QStringLiteral("S-1"), QStringLiteral("S-4"), QStringLiteral("N1"), QStringLiteral("N4") }) {
        SCOPED_TRACE(word.toStdString());
        const QList<apptest::PdfWord> a = apptest::PdfWordsOnPage(moved, 1, word);
        const QList<apptest::PdfWord> b = apptest::PdfWordsOnPage(still, 1, word);
        ASSERT_FALSE(a.isEmpty());
        ASSERT_EQ(a.size(), b.size());
        EXPECT_NEAR(a[0].xMin - b[0].xMin, 36, 0.5);
        EXPECT_NEAR(a[0].yMin - b[0].yMin, -18, 0.5);
    }
}

} // namespace

namespace {

// Qt's document fits under a file size limit, the document with the artwork placed does
// not: the run fails with the real reason, its numbers go back and no file is left.
TEST_F(TemplateTest, PlacingTheArtworkPastAFileSizeLimitFailsWithItsReason)
{
    const QString plain = Path(QStringLiteral("plain.pdf"));
    ASSERT_EQ(Run({ QStringLiteral("print"), QStringLiteral("--no-advance"), QStringLiteral("--count"), QStringLiteral("1"),
                    QStringLiteral("--output"), plain }).first, 0);
    const QSizeF paper = apptest::PdfPageSizePoints(plain);
    {
        // Noise does not compress: the artwork alone is far past the limit.
        QPdfWriter writer(Path(QStringLiteral("heavy.pdf")));
        writer.setPageSize(QPageSize(paper, QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(72);
        QImage noise(500, 500, QImage::Format_RGB32);
        quint32 seed = 7;
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                noise.setPixel(x, y, seed >> 8);
            }
        QPainter painter(&writer);
        painter.drawImage(QRectF(0, 0, 400, 400), noise);
    }
    ASSERT_GT(QFileInfo(Path(QStringLiteral("heavy.pdf"))).size(), 200000);
    const QString output = Path(QStringLiteral("limited.pdf"));
    // --force: serial 1 went into the plain file already.
    const auto [code, error] = Run({ QStringLiteral("print"), QStringLiteral("--force"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--template"),
                                     Path(QStringLiteral("heavy.pdf")), QStringLiteral("--output"), output },
                                   { QStringLiteral("prlimit"), QStringLiteral("--fsize=100000") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("File too large"))) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("Unknown error"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_EQ(LastNumber(), QStringLiteral("0"));
}

// Text printed over coloured artwork leaves the artwork around its glyphs: no white box
// behind the two numbers nor behind a text item.
TEST_F(TemplateTest, TextOverArtworkHasNoWhiteBoxBehindIt)
{
    const QString artwork = Path(QStringLiteral("tint.pdf"));
    apptest::WriteArtworkPdf(artwork, QSizeF(576, 720), QRectF(0, 0, 576, 720), QColor(150, 190, 250));
    QFile file(settings_);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("[Item3]\r\nKind=text\r\nLeft=1\r\nTop=1\r\nText=Item {number}\r\n\r\n");
    file.close();
    const QString printed = Path(QStringLiteral("printed.pdf"));
    const auto [code, errors] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("1"),
                                      QStringLiteral("--template"), artwork, QStringLiteral("--output"), printed });
    ASSERT_EQ(code, 0) << errors.toStdString();
    const QImage page = Render(printed, 1, Path(QStringLiteral("page")));
    ASSERT_FALSE(page.isNull());
    const QList<apptest::PdfWord> words = apptest::PdfWords(printed);
    const QList<apptest::PdfWord> serials = apptest::PdfWordsOnPage(words, 1, QStringLiteral("S-1"));
    const QList<apptest::PdfWord> items = apptest::PdfWordsOnPage(words, 1, QStringLiteral("Item"));
    ASSERT_EQ(serials.size(), 2);
    ASSERT_EQ(items.size(), 1);
    for (const apptest::PdfWord& word : serials + items) {
        // The word's box at 150 dpi: artwork colour, glyphs and their blend, never paper.
        const QRect box = QRectF(QPointF(word.xMin, word.yMin) * 150 / 72, QPointF(word.xMax, word.yMax) * 150 / 72).toAlignedRect();
        const int white = apptest::CountPixels(page.copy(box), [](const QColor& c) { return c.red() > 240 && c.green() > 240 && c.blue() > 240; });
        EXPECT_EQ(white, 0) << word.text.toStdString() << " at " << word.xMin << ", " << word.yMin;
    }
}

// Artwork placed at each ticket stays on its ticket: larger than the ticket, it is cut
// at the ticket's edges, and the gap beside it stays paper.
TEST_F(TemplateTest, ArtworkPerTicketStaysInsideItsTicket)
{
    const QString artwork = Path(QStringLiteral("large.pdf"));
    {
        QPdfWriter writer(artwork);
        writer.setPageSize(QPageSize(QSizeF(270, 180), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRectF(0, 0, 270, 180), QColor(200, 40, 40));
    }
    QFile file(settings_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[SN]\r\nLastNumber=0\r\nPrefix=S-\r\n\r\n[Paper]\r\nHorizontalIndent=0.2\r\nVerticalIndent=0.2\r\n"
               "HorizontalIndent2=0.2\r\nVerticalIndent2=1\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=1\r\nWidth=3\r\nHeight=2\r\n"
               "GapX=1\r\n\r\n[Template]\r\nFile=large.pdf\r\nScope=ticket\r\n");
    file.close();
    const QString printed = Path(QStringLiteral("printed.pdf"));
    const auto [code, errors] = Run({ QStringLiteral("print"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--force"),
                                      QStringLiteral("--output"), printed });
    ASSERT_EQ(code, 0) << errors.toStdString();
    const QImage page = Render(printed, 1, Path(QStringLiteral("page")));
    ASSERT_FALSE(page.isNull());
    // Inches from the printable corner to pixels at 150 dpi.
    const QPointF origin = apptest::PrintableOriginPoints() * 150 / 72;
    const auto box = [&](double left, double top, double right, double bottom) {
        return QRectF(origin + QPointF(left, top) * 150, origin + QPointF(right, bottom) * 150).toAlignedRect();
    };
    const auto red = [](const QColor& c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
    EXPECT_GT(apptest::CountPixels(page.copy(box(1.0, 1.3, 2.9, 1.9)), red), 10000); // on the first ticket
    EXPECT_EQ(apptest::CountPixels(page.copy(box(3.05, 0.1, 3.95, 1.9)), red), 0);     // the gap
    EXPECT_EQ(apptest::CountPixels(page.copy(box(0.1, 2.05, 2.9, 2.45)), red), 0);     // below the tickets
}

} // namespace
