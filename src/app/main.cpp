#include "app/cli/CommandLine.h"
#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "platform/Translations.h"

#include <QApplication>

#include <memory>
#include <vector>

int main(int argc, char* argv[])
{
    // Before anything allocates: PDF pages reuse their large blocks instead of mapping
    // and unmapping them page after page.
    TunePrintingAllocator();
    // A command runs without a window, so it needs no display.
    cli::Arguments split = cli::SplitArguments(argc, argv);
    std::vector<char*>& arguments = split.toolkit;
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    if (cli::Headless(argc, argv)) {
        arguments.insert(arguments.begin() + 1, { platformOption, offscreen });
    }
    int count = int(arguments.size());
    arguments.push_back(nullptr);
    // A command needs no widgets: it runs on the GUI application alone, as batch
    // printers do; only the window gets the widget application.
    const std::unique_ptr<QGuiApplication> application = cli::Headless(argc, argv)
        ? std::make_unique<QGuiApplication>(count, arguments.data())
        : std::make_unique<QApplication>(count, arguments.data());
    app::SetTitle(QStringLiteral("Tallyforge"));
    QCoreApplication::setApplicationVersion(cli::VersionText());
    // Lets the desktop tie the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tallyforge.Tallyforge"));
    FormatSettings::LoadFromSystem();
    app::InstallTranslations();

    const cli::Request request = cli::Run(split.own);
    int result = request.exitCode;
    if (request.openWindow) {
        TfrmTallyforge window(nullptr, request.settingsPath);
        window.show();
        // Asked to stop, the program closes as File > Exit does: a print stops after its
        // page and the settings are saved.
        app::OnTerminationRequest([&window](int) { window.close(); });
        result = application->exec();
    }
    Printer().ReleaseDevice();
    return result;
}
