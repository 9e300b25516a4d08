#include "app/cli/CommandLine.h"
#include "app/cli/Commands.h"

#include "run/SharedSeries.h"

#include <QCoreApplication>

#include <cstdio>

namespace cli {

// series show | series set-next N
int SeriesCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    const QStringList positional = parser.positionalArguments();
    const QString what = positional.value(1);
    if (!((what == QStringLiteral("show") && positional.size() == 2) || (what == QStringLiteral("set-next") && positional.size() == 3)))
        return Usage(QCoreApplication::translate("CommandLine", "series takes 'show' or 'set-next N'"));
    std::optional<int> next;
    if (what == QStringLiteral("set-next")) {
        bool ok = false;
        next = positional[2].toInt(&ok);
        if (!ok)
            return Usage(QCoreApplication::translate("CommandLine", "set-next needs a whole number, not '%1'").arg(positional[2]));
    }
    const std::shared_ptr<TSeriesStore> store = Store(parser, settingsPath, LoadSettingsFile(settingsPath));
    auto* shared = dynamic_cast<TSharedSeries*>(store.get());
    if (next) {
        if (!shared)
            return Usage(QCoreApplication::translate("CommandLine", "set-next moves a shared series (--series-server and --series, or [Series] in the settings file)"));
        shared->SetNext(*next, parser.isSet(QStringLiteral("force")));
    }
    const TSeriesView view = ViewSeries(*store);
    QString out;
    if (shared)
        out += QStringLiteral("series  %1\nserver  %2\n").arg(shared->Name(), shared->ServerText());
    else
        out += QStringLiteral("series  %1\nfile    %2\n").arg(QCoreApplication::translate("CommandLine", "(this station's counter)"), store->Where());
    out += QStringLiteral("last    %1\nnext    %2\n").arg(view.last.text, view.next ? QString::number(*view.next) : QStringLiteral("?"));
    if (shared && shared->Waiting() > 0)
        out += QStringLiteral("waiting %1\n").arg(shared->Waiting());
    std::fputs(out.toUtf8().constData(), stdout);
    return kDone;
}

} // namespace cli
