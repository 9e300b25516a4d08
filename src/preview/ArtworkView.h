#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>

class QPdfDocument;

// A template's page as the preview shows it under the numbers: the file is opened once,
// and the page is rendered once for each size it is shown at (a zoom level), so typing,
// which redraws the numbers, never renders the artwork again.
class TArtworkView {
public:
    TArtworkView();
    ~TArtworkView();
    TArtworkView(const TArtworkView&) = delete;
    TArtworkView& operator=(const TArtworkView&) = delete;

    // Opens page `page` (from 1) of `path`; false, with Problem() saying why, when the
    // preview cannot show it. An empty path closes what was open.
    bool Open(const QString& path, int page);
    bool Ready() const { return ready_; }
    QString Problem() const { return problem_; }
    QSizeF SizeInches() const { return sizeInches_; }

    // The page at this size in pixels; the last size's image is kept.
    QImage Image(QSize pixels);
    // How many times a page was rendered since Open (for tests).
    int Renders() const { return renders_; }

private:
    std::unique_ptr<QPdfDocument> document_;
    int page_ = 1;
    bool ready_ = false;
    QString problem_;
    QSizeF sizeInches_;
    QImage image_;
    int renders_ = 0;
};
