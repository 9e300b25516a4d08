#include "app/About.h"

#include "app/Icons.h"

#include "platform/Shell.h"
#include "platform/VersionInfo.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr QSize kClientSize(381, 285);
const QString kFileVersionEntry = QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion");

// A label placed at its top-left corner, as wide as its text.
template <typename Label>
Label* PlaceLabel(Label* label, const QString& name, int x, int y)
{
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

const char* const kWebsiteCaption = QT_TRANSLATE_NOOP("TAboutBox", "Website:");
const char* const kEmailCaption = QT_TRANSLATE_NOOP("TAboutBox", "Email:");

// A translated caption wider than the written one moves its link right by the
// difference, so the link keeps the distance the design gave it.
void KeepClear(const QLabel* caption, const char* written, QLabel* link)
{
    const QFontMetrics metrics = caption->fontMetrics();
    const int wider = metrics.horizontalAdvance(caption->text()) - metrics.horizontalAdvance(QLatin1String(written));
    if (wider > 0)
        link->move(link->x() + wider, link->y());
}

// The program's own icon at its 32-pixel size, which the 33-pixel frame holds unscaled.
QPixmap ProgramPixmap()
{
    return icons::ProgramIcon().pixmap(QSize(32, 32));
}

} // namespace

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(palette);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click && OnClick)
        OnClick(this);
}

TAboutBox::TAboutBox(QWidget* parent)
    : TAboutBox(parent, TVersionInfo::Program())
{
}

TAboutBox::TAboutBox(QWidget* parent, const TVersionInfo& versionInfo)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , versionInfo_(versionInfo)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(kClientSize);
    CreateControls();
    CenterOnScreen();
    FormCreate();
}

void TAboutBox::CreateControls()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(10, 14, 361, 220);
    // A sunken outer edge with a raised inner one: the etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(24, 16, 33, 33);
    ProgramIcon->setAttribute(Qt::WA_TranslucentBackground);
    ProgramIcon->setPixmap(ProgramPixmap());

    lblProductName = PlaceLabel(new QLabel(QStringLiteral("Tallyforge"), Panel1), QStringLiteral("lblProductName"), 88, 16);
    lblVersion = PlaceLabel(new QLabel(QStringLiteral("0.0.0.0"), Panel1), QStringLiteral("lblVersion"), 88, 36);

    lblComments = new QLabel(tr("Made by the Tallyforge developers"), Panel1);
    lblComments->setObjectName(QStringLiteral("lblComments"));
    lblComments->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblComments->adjustSize();
    lblComments->setGeometry(88, 56, 240, lblComments->height());

    Label1 = PlaceLabel(new QLabel(tr(kWebsiteCaption), Panel1), QStringLiteral("Label1"), 88, 76);
    Label2 = PlaceLabel(new TLinkLabel(kWebSite, Panel1), QStringLiteral("Label2"), 135, 76);
    Label2->OnClick = [this](QObject* sender) { Label2Click(sender); };
    Label3 = PlaceLabel(new QLabel(tr(kEmailCaption), Panel1), QStringLiteral("Label3"), 88, 97);
    Label4 = PlaceLabel(new TLinkLabel(kMailAddress, Panel1), QStringLiteral("Label4"), 121, 98);
    Label4->OnClick = [this](QObject* sender) { Label4Click(sender); };
    KeepClear(Label1, kWebsiteCaption, Label2);
    KeepClear(Label3, kEmailCaption, Label4);

    OKButton = new QPushButton(tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(153, 252, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::CenterOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
}

QString TAboutBox::VersionText(const TVersionInfo& versionInfo, const QString& currentText)
{
    if (versionInfo.IsEmpty())
        return tr("No version information found");
    if (const std::optional<QString> version = versionInfo.QueryValue(kFileVersionEntry))
        return tr("Version %1").arg(*version);
    return currentText;
}

void TAboutBox::FormCreate()
{
    lblVersion->setText(VersionText(versionInfo_, lblVersion->text()));
    lblVersion->adjustSize();
}

void TAboutBox::Label2Click(QObject* /*sender*/)
{
    // What the desktop does with it is its own affair; the box stays as it is.
    shell::Open(kProductPage, this);
}

void TAboutBox::Label4Click(QObject* /*sender*/)
{
    shell::Open(QStringLiteral("mailto:") + kMailAddress, this);
}

void TAboutBox::Execute(QWidget* parent)
{
    TAboutBox box(parent);
    box.exec();
}
