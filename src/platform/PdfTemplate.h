#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>

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

// Writes `document` (a finished PDF) with the underlay to `out`. Raises Exception when
// either PDF cannot be read or the output cannot be written.
void Apply(const QString& document, const TUnderlay& underlay, QIODevice& out);

} // namespace pdftemplate
