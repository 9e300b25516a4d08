#include "support_preview.h"

#include "TestApplication.h"

#include "platform/Application.h"

#include <QApplication>
#include <QPainter>

namespace previewtest {

TDeviceCaps Letter600Offset150()
{
    return TDeviceCaps{600, 600, 5100, 6600, 150, 150, 4800, 6300};
}

void PreviewFixture::SetUp()
{
    app::SetErrorHandler([](const QString&, const QString& text) {
        ADD_FAILURE() << "unexpected error box: " << text.toStdString();
    });
    app::SetQuestionHandler([](const QString&, const QString& text) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    });
    TPrinter::InstallTestDevice(Letter600Offset150());
    job = std::make_unique<TPrintJob>();
    job->OnDraw = [this](TCustomPrintJob*, TCanvas*, int, TRect, TDrawArea, TDrawTarget) {
        ++drawCount;
    };
    preview = std::make_unique<TPreview>();
    preview->SetBorderStyle(bsNone);
    preview->OnPageChanged = [this](TCustomPreview*) { ++pageChanges; };
    preview->OnUpdate = [this](TCustomPreview*) { ++updates; };
    preview->resize(500, 300);
    preview->show();
}

void PreviewFixture::TearDown()
{
    preview.reset();
    job.reset();
    TPrinter::ResetForTests();
    app::SetErrorHandler(nullptr);
    app::SetQuestionHandler(nullptr);
}

QImage PreviewFixture::PaintPanel()
{
    TDrawPanel* panel = preview->DrawPanel();
    QImage image(panel->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    panel->PaintPanel(painter);
    return image;
}

} // namespace previewtest
