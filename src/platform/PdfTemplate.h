#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

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
    int pageCount = 0;     // the file's pages
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
    // Inches from each corner: the artwork is cut there (a ticket's own artwork stays on
    // its ticket); empty: drawn whole.
    QSizeF clip;
};

// Puts an underlay under a document that Qt draws in parts: each finished part (a whole
// PDF of the document's next pages) is taken on a thread of its own, and written out,
// while the next one is drawn. The document's pages are made here: each takes its part's
// content stream as it is, after one placement of the one copy of the artwork, and the
// resources its part shares; Qt's own page objects stay behind.
class TPlacement {
public:
    // Writes the document to `out` as its parts come. Raises Exception when the artwork
    // cannot be read.
    TPlacement(TUnderlay underlay, QIODevice& out);
    ~TPlacement();
    TPlacement(const TPlacement&) = delete;
    TPlacement& operator=(const TPlacement&) = delete;

    // The next part. Waits while two are waiting already, so the drawing cannot run far
    // ahead of the placing. Raises Exception when a part before could not be placed.
    void Add(QByteArray part);
    // Ends the document when its last part is written. Raises Exception when a part could
    // not be placed; what the device could not write, it reports itself.
    void Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace pdftemplate
