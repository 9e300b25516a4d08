#include "app/cli/CommandLine.h"
#include "app/cli/Commands.h"

#include "platform/Application.h"
#include "run/PrintRoom.h"
#include "run/PrintedSerial.h"

#include <QCoreApplication>

namespace cli {

// void FIRST [LAST] [--reason TEXT] [--force]: spoiled serials on record, the counter
// left as it is.
int VoidCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2)
        return Usage(QCoreApplication::translate("CommandLine", "void needs the first serial (and the last, for more than one)"));
    if (positional.size() > 3)
        return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(positional.value(3)));
    const TallyforgeSettings settings = LoadSettingsFile(settingsPath);
    const std::shared_ptr<TSeriesStore> store = Store(parser, settingsPath, settings);
    TVoidRequest request;
    request.firstText = positional[1];
    request.lastText = positional.value(2, positional[1]);
    request.reason = parser.value(QStringLiteral("reason"));
    request.page.Prefix = settings.Prefix;
    request.page.Suffix = settings.Suffix;
    request.page.Digits = settings.Digits;
    request.page.Check = settings.Check;
    request.page.CheckSeparator = settings.CheckSeparator;
    TVoidPlan plan;
    try {
        plan = TPrintRoom::PlanVoid(store->Runs(), store->Read().value, request);
    } catch (const EPrintRequest& e) {
        return Usage(e.Message());
    }
    if (!plan.questions.isEmpty() && !parser.isSet(QStringLiteral("force")))
        throw Exception(QCoreApplication::translate("CommandLine", "%1 (--force voids them all the same)").arg(plan.questions.front().text));
    const TJournalRecord& record = plan.record;
    TPrintRoom::RecordVoid(*store, record);
    const QString first = printedserial::Text(record, *record.first);
    Say(record.first == record.last ? QCoreApplication::translate("CommandLine", "Void: %1").arg(first)
                                    : QCoreApplication::translate("CommandLine", "Void: %1 to %2").arg(first, printedserial::Text(record, *record.last)));
    return kDone;
}

} // namespace cli
