#pragma once

#include "platform/Printer.h"
#include "preview/Preview.h"
#include "printjob/PrintJob.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace previewtest {

// Letter paper at 600 dpi, printable area offset by 150 on both axes.
TDeviceCaps Letter600Offset150();

// A shown preview without a border (its box client is its own size) bound to nothing,
// a job with a counter of page drawings, and the letter printer installed.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Resizes the preview (its scroll box has no border, so the box client is this size
    // while no scroll bar shows).
    void ResizePreview(int width, int height);
    // The page panel painted into an image the size of the panel.
    QImage PaintPanel();
    QColor PanelPixel(const QImage& image, int x, int y) const { return image.pixelColor(x, y); }

    std::unique_ptr<TPreview> preview;
    std::unique_ptr<TPrintJob> job;
    int drawCount = 0;
    int pageChanges = 0;
    int updates = 0;
};

} // namespace previewtest
