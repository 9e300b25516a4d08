#include "platform/Application.h"
#include "platform/FormatSettings.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    app::SetTitle(QStringLiteral("Tallyforge"));
    FormatSettings::LoadFromSystem();
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tallyforge"));
    window.resize(525, 420);
    window.show();
    return application.exec();
}
