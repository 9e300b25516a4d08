#include "app/Tallyforge.h"
#include "app/TestScript.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before anything allocates: PDF pages reuse their large blocks instead of mapping
    // and unmapping them page after page.
    TunePrintingAllocator();
    QApplication application(argc, argv);
    app::SetTitle(QStringLiteral("Tallyforge"));
    FormatSettings::LoadFromSystem();
    int result = 0;
    {
        TfrmTallyforge window;
        window.show();
        // Asked to stop, the program closes as File > Exit does: a print stops after its
        // page and the settings are saved.
        app::OnTerminationRequest([&window](int) { window.close(); });
        TestScript::StartIfRequested(&window);
        result = application.exec();
    }
    Printer().ReleaseDevice();
    return result;
}
