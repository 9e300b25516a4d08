#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

class QApplication;
class QProcess;

// Shared by the window and end-to-end tests of the application.
namespace apptest {

// The one QApplication of a test program (offscreen unless the environment says
// otherwise), created on first use.
QApplication* EnsureApplication();

// Points HOME and the XDG folders at a private folder, so the PDF printer's default
// output folder is known. Call before the first QApplication.
void UseHome(const QString& home);

// For a suite that prints in-process into the PDF printer: a private home (see UseHome),
// no CUPS queue to find, and the application. Call once, before any test of the suite.
void UsePdfPrinterOnly();

// Makes the process, once started, end with this test program even when the test is
// killed (a timeout, a crash), so no server or program outlives its test.
void EndWithTest(QProcess& process);

// A port of 127.0.0.1 that nothing listens on right now (0 when none could be had).
int FreePort();

// Runs a program and returns its standard output; exitCode -1 when it did not finish.
QString Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
            int timeoutMs = 60000);

// pdftotext of one page (1-based) or, with page 0, of the whole file.
QString PdfText(const QString& pdf, int page = 0);
int PdfPageCount(const QString& pdf);

// How many pixels of a picture `is` holds for: the outlines the preview draws in a colour
// of their own are counted this way.
int CountPixels(const QImage& image, const std::function<bool(const QColor&)>& is);
// Pixels of a strong red (what the preview marks a problem with).
int RedPixels(const QImage& image);
// The first page's size in points, as pdfinfo reports it.
QSizeF PdfPageSizePoints(const QString& pdf);

// A word that pdftotext -bbox finds: its box in points from the page's top-left.
struct PdfWord {
    int page = 0;
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};
QList<PdfWord> PdfWords(const QString& pdf);

// Where the current printer's canvas origin (the printable area's corner) lies on the
// paper, in points from the paper's top-left corner.
QPointF PrintableOriginPoints();
// The words on one page that read exactly text, from the top of the page down.
QList<PdfWord> PdfWordsOnPage(const QList<PdfWord>& words, int page, const QString& text);

// The value of key in section of an INI text (last occurrence wins), or a null string.
QString IniValue(const QString& path, const QString& section, const QString& key);

QString ReadText(const QString& path);

// A one-page artwork PDF of `points` (width x height), blank but for `block` in `color`.
void WriteArtworkPdf(const QString& path, const QSizeF& points, const QRectF& block, const QColor& color);

} // namespace apptest
