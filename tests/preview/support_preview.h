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

// A shown preview without a border (while no scroll bar shows, its box client is its own
// size) bound to nothing, a job with a counter of page drawings, and the letter printer.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The page panel painted into an image the size of the panel.
    QImage PaintPanel();

    std::unique_ptr<TPreview> preview;
    std::unique_ptr<TPrintJob> job;
    int drawCount = 0;
    int pageChanges = 0;
    int updates = 0;
};

} // namespace previewtest
