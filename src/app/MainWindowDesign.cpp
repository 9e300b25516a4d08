#include "app/MainWindowDesign.h"

#include "app/Icons.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QCoreApplication>
#include <QFont>
#include <QMenu>

namespace design {

QString Text(const char* source)
{
    return QCoreApplication::translate("TfrmTallyforge", source);
}

QFont WindowFont()
{
    // The design's font is not on Linux machines; a narrow sans keeps the captions
    // within their fields' widths as designed.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   { QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                     QStringLiteral("Helvetica") });
        return true;
    }();
    (void)substituted;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

THistoryEdit* CreateInput(const InputDesign& input, QWidget* panel)
{
    auto* edit = new THistoryEdit(panel);
    edit->setObjectName(QLatin1String(input.name));
    // Placed before loading starts: the field re-applies the height it had then.
    edit->setGeometry(input.left, input.top, input.width, kInputHeight);
    edit->SetLoading(true);
    edit->SetEditType(input.editType);
    edit->SetEditAlign(input.editAlign);
    edit->SetPrecision(static_cast<qint16>(input.precision));
    // Shared by every input: no minus sign, no grouping, a history of entered values
    // without the pop-up, and no store of its own (the window keeps the values).
    edit->SetSigned(false);
    edit->SetAutoThousandSeparator(false);
    edit->SetAutoHistory(true);
    edit->Lookup().SetEnabled(false);
    edit->Persistence().SetEnable(false);
    edit->LookupPersist().SetEnable(false);
    edit->SetReturnIsTab(false);
    edit->SetLengthLimit(0);
    edit->SetSoftBorder(true);
    edit->SetOleDropTarget(false);
    edit->SetOleDropSource(false);
    edit->SetLabelFont(WindowFont());
    edit->SetLabelPosition(lpTopLeft);
    edit->SetLabelMargin(kLabelMargin);
    edit->SetLabelCaption(Text(input.caption));
    edit->SetText(QLatin1String(input.initialText));
    edit->SetLoading(false);
    edit->Loaded();
    return edit;
}

QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption, int image)
{
    QAction* action = menu->addAction(Text(caption));
    action->setObjectName(QLatin1String(name));
    if (image >= 0)
        action->setIcon(icons::ImageListIcon(image));
    return action;
}

} // namespace design
