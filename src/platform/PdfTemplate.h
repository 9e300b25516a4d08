#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QPDF;

// Artwork PDFs: read and checked before a run, and placed under the pages of a finished
// document as one form XObject that every page draws, so the artwork is stored once
// whatever the number of pages and keeps its vectors, text and images.
namespace pdftemplate {

// One page of an artwork file, as it was read: the file's bytes (the ones printed and
// hashed, whatever happens to the file later), the page and its size.
struct TArtwork {
    QString path;
    QByteArray bytes;
    int page = 1;          // counted from 1
    QSizeF sizeInches;     // as the page shows (its rotation applied)
    QString sha256;        // of the file's bytes, hex
};

// Reads `path` and checks page `page` (from 1). Raises Exception naming the file when it
// cannot be read, is not a sound PDF, is encrypted, has no pages or not that one.
TArtwork Load(const QString& path, int page);

// What a document's pages get under them.
struct TUnderlay {
    QByteArray pdf; // the artwork file
    int page = 1;
    // Where the artwork's top-left corner goes on page pageIndex (from 0) of the
    // document, in inches from the page's top-left corner; empty: nowhere.
    std::function<QList<QPointF>(int pageIndex)> corners;
};

// Places the artwork under the pages of a run that Qt draws as a series of documents
// (parts), and writes them as one document. Each page is Qt's content stream as it is,
// after the placement of the one copy of the artwork; the pages of a part share one
// resources dictionary (a part's fonts are its own). Qt's own page objects are not
// copied.
class TPlacement {
public:
    // Raises Exception when the artwork cannot be read.
    explicit TPlacement(TUnderlay underlay);
    ~TPlacement();
    TPlacement(const TPlacement&) = delete;
    TPlacement& operator=(const TPlacement&) = delete;

    // Takes in the next part, a finished PDF, whose first page follows the last page of
    // the part before. Raises Exception when it cannot be read.
    void Add(QByteArray part);
    // Writes the document of all parts to `out`. Raises Exception when it cannot be made;
    // a failed write is the device's to report.
    void Write(QIODevice& out);

private:
    struct Impl;
    void Write(QPDF& pdf, QIODevice& out);
    std::unique_ptr<Impl> d;
};

} // namespace pdftemplate
