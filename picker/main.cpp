#include "picker/main.h"
#include "ui_main.h"

#include "about/about.h"
#include "color/clipformat.h"
#include "picker/colordialog.h"
#include "color/colortext.h"
#include "color/cssnotation.h"
#include "picker/recentcolors.h"
#include "picker/screenpicker.h"
#include "shell/application.h"
#include "shell/clipboardtext.h"
#include "shell/doubleclickguard.h"
#include "shell/exception.h"
#include "shell/exceptiondisplay.h"
#include "shell/guard.h"
#include "shell/menubarstyle.h"
#include "shell/noticebox.h"
#include "settings/inifile.h"
#include "shell/quitrequest.h"
#include "shell/randomsource.h"
#include "settings/settingslocation.h"
#include "shell/windowplacement.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QWindow>

#include <algorithm>
#include <cstdio>

TVND_MAIN *VND_MAIN = nullptr;

namespace {

// The numeric labels grow with their text, left edge fixed.
void setLabelCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

// The CSS notations from this one on are worked out when their menu opens.
constexpr int kFirstNotationOnShow = 7;

// Swatch colour right of the widest codes, as left of them.
constexpr int kCodeMargin = 2;

// The code's box grows to the right from its place in the form; a code too wide for
// the room left there (the letters differ in width) moves left just enough to end
// inside the swatch with a margin of its colour, clear of the bevel around it, and is
// never cut short.
void placeInside(QLabel *label, const QWidget *swatch, int left)
{
    const int lastLeft = swatch->geometry().right() + 1 - kCodeMargin - label->width();
    label->move(std::min(left, lastLeft), label->y());
}

// A text that is no colour is no failure: the box tells so, with what the program
// reads, and a reason first where one is known (a text that is a colour only in its
// place in a style sheet).
void refuseClipboard(const QStringList &lines, const QString &reason = QString())
{
    QStringList notes;
    if (!reason.isEmpty())
        notes << reason;
    notes << QStringLiteral("読み取れるもの: #RGB #RRGGBB 色の名前") << QStringLiteral("rgb() hsl() hwb() lab() lch()")
          << QStringLiteral("oklab() oklch() color() color-mix()");
    NoticeBox::show(lines, notes);
}

} // namespace

TVND_MAIN::TVND_MAIN(QWidget *owner)
    : QMainWindow(owner)
    , ui(std::make_unique<Ui::TVND_MAIN>())
{
    ui->setupUi(this);
    // A fixed frame: Windows gives any other window a sizing border, whatever its
    // size limits say. X11 has the size limits alone.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    for (QLabel *label : ui->ClientArea->findChildren<QLabel *>())
        label->adjustSize();
    menuBar()->setStyle(new MenuBarStyle(menuBar()));
    m_codeLeft = ui->L_Color->x();
    // The bevel and the code lie over the swatch: the pointer over them is over the
    // swatch, and finds its tooltip there.
    ui->Bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->L_Color->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_colorDialog = new ColorDialog(this);
    m_colorDialog->setObjectName(QStringLiteral("ColorDialog"));

    connectHandlers();
    // The pop-up opens over the button that opens it.
    new DoubleClickGuard(ui->B_SetClipborad, ui->PopupMenu);

    RandomSource::runtime().seedFromClock();
    setWindowTitle(Application::title());

    // Each setting takes effect as soon as it is read; a scroll bar clamps its value
    // and refreshes the display when it really changes.
    {
        TIniFile settings(m_settingsLocation, SettingsLocation::Use::Reading);
        // Where the compositor places the window, a stored place means nothing.
        if (WindowPlacement::positionKnown()) {
            const int left = settings.readInteger("Main", "X", 100);
            const int top = settings.readInteger("Main", "Y", 100);
            // A place wholly off every screen (one unplugged since) could not be reached.
            const bool reachable = WindowPlacement::onSomeScreen(QPoint(left, top), size());
            WindowPlacement::moveFrame(this, reachable ? QPoint(left, top) : QPoint(100, 100));
        }
        ui->SC_R->setValue(settings.readInteger("Main", "ColorR", 0));
        ui->SC_G->setValue(settings.readInteger("Main", "ColorG", 0));
        ui->SC_B->setValue(settings.readInteger("Main", "ColorB", 0));
        ui->M_ClipTransLower->setChecked(settings.readBool("Main", "ClipTransLower", false));
        m_recent.read(settings);
    }

    ColorChange(nullptr);
}

TVND_MAIN::~TVND_MAIN() = default;

void TVND_MAIN::connectHandlers()
{
    connectHandler(ui->SC_R, &QScrollBar::valueChanged, this, &TVND_MAIN::ColorChange);
    connectHandler(ui->SC_G, &QScrollBar::valueChanged, this, &TVND_MAIN::ColorChange);
    connectHandler(ui->SC_B, &QScrollBar::valueChanged, this, &TVND_MAIN::ColorChange);
    connectHandler(ui->B_SetClipborad, &QPushButton::clicked, this, &TVND_MAIN::B_SetClipboradClick);
    connectHandler(ui->B_ColorDialog, &QPushButton::clicked, this, &TVND_MAIN::B_ColorDialogClick);
    connectHandler(ui->M_ColorDialog, &QAction::triggered, this, &TVND_MAIN::B_ColorDialogClick);
    connectHandler(ui->M_ClipBored, &QAction::triggered, this, &TVND_MAIN::M_ClipBoredClick);
    connectHandler(ui->M_ScreenPick, &QAction::triggered, this, &TVND_MAIN::M_ScreenPickClick);
    connectHandler(ui->M_ClipPaste, &QAction::triggered, this, &TVND_MAIN::M_ClipPasteClick);
    for (int format = 1; format <= ClipFormat::Count; ++format) {
        connectHandler(clipItem(format), &QAction::triggered, this, &TVND_MAIN::M_ClipClick);
        connectHandler(popupClipItem(format), &QAction::triggered, this, &TVND_MAIN::M_ClipClick);
    }
    for (QAction *item : ui->M_CssSend->actions())
        connectHandler(item, &QAction::triggered, this, &TVND_MAIN::M_ClipClick);
    for (int n = 0; n < RecentColors::Most; ++n)
        connectHandler(ui->M_Recent->actions().at(n), &QAction::triggered, this, &TVND_MAIN::M_RecentClick);
    connectHandler(ui->M_RecentClear, &QAction::triggered, this, &TVND_MAIN::M_RecentClearClick);
    connectHandler(ui->M_Recent, &QMenu::aboutToShow, this, &TVND_MAIN::RecentMenuShow);
    connectHandler(ui->M_CssSend, &QMenu::aboutToShow, this, &TVND_MAIN::CssMenuShow);
    connectHandler(ui->M_NegaPosi, &QAction::triggered, this, &TVND_MAIN::ColorReverse);
    connectHandler(ui->M_Random, &QAction::triggered, this, &TVND_MAIN::ColorRandom);
    connectHandler(ui->M_B50u, &QAction::triggered, this, &TVND_MAIN::M_B50uClick);
    connectHandler(ui->M_B50d, &QAction::triggered, this, &TVND_MAIN::M_B50dClick);
    connectHandler(ui->M_Contrast, &QAction::triggered, this, &TVND_MAIN::M_ContrastClick);
    connectHandler(ui->M_Exit, &QAction::triggered, this, &TVND_MAIN::M_ExitClick);
    connectHandler(ui->M_ClipTransLower, &QAction::triggered, this, &TVND_MAIN::M_ClipTransLowerClick);
    connectHandler(ui->M_AlwaysOnTop, &QAction::triggered, this, &TVND_MAIN::M_AlwaysOnTopClick);
    connectHandler(ui->M_About, &QAction::triggered, this, &TVND_MAIN::MainMenuAbout);
}

QAction *TVND_MAIN::clipItem(int format) const
{
    return ui->M_FormatSend->actions().at(format - 1);
}

QAction *TVND_MAIN::popupClipItem(int format) const
{
    return ui->PopupMenu->actions().at(format - 1);
}

void TVND_MAIN::ColorChange(QObject *)
{
    const int red = ui->SC_R->value();
    const int green = ui->SC_G->value();
    const int blue = ui->SC_B->value();
    setLabelCaption(ui->L_ColorR, QString::number(red));
    setLabelCaption(ui->L_ColorG, QString::number(green));
    setLabelCaption(ui->L_ColorB, QString::number(blue));
    std::snprintf(ColorCode, sizeof ColorCode, "#%02X%02X%02X", red, green, blue);
    const QString code = QString::fromLatin1(ColorCode);
    setLabelCaption(ui->L_Color, code);
    placeInside(ui->L_Color, ui->Shape, m_codeLeft);
    ui->Shape->setPenColor(rgbToTColor(red, green, blue));
    m_colorDialog->setColor(rgbToTColor(red, green, blue));
    ClipCaptionChange(code);
    CssCaptionChange(qRgb(red, green, blue));
}

void TVND_MAIN::ClipCaptionChange(const QString &code)
{
    for (int format = 1; format <= ClipFormat::Count; ++format) {
        const QString text = ClipFormat::text(format, code);
        clipItem(format)->setText(text);
        popupClipItem(format)->setText(text);
    }
}

// A notation the colour lacks stays in its place, greyed, so the menu never jumps.
// The newer notations, which take longer to work out, follow the colour only when
// the menu opens: a step of a thumb drag costs none of them.
void TVND_MAIN::CssCaptionChange(QRgb color)
{
    const QList<QAction *> items = ui->M_CssSend->actions();
    for (int notation = 1; notation < kFirstNotationOnShow; ++notation) {
        const std::optional<QString> text = CssNotation::text(notation, color);
        items.at(notation - 1)->setText(text ? *text : CssNotation::missing(notation));
        items.at(notation - 1)->setEnabled(text.has_value());
    }
    m_cssStale = true;
}

void TVND_MAIN::CssMenuShow(QObject *)
{
    if (!m_cssStale)
        return;
    m_cssStale = false;
    const QRgb color = qRgb(ui->SC_R->value(), ui->SC_G->value(), ui->SC_B->value());
    const QList<QAction *> items = ui->M_CssSend->actions();
    for (int notation = kFirstNotationOnShow; notation <= CssNotation::Count; ++notation)
        items.at(notation - 1)->setText(*CssNotation::text(notation, color));
}

void TVND_MAIN::ClipTransfer(const QString &text)
{
    RecentAdd(qRgb(ui->SC_R->value(), ui->SC_G->value(), ui->SC_B->value()));
    const QString copy = ui->M_ClipTransLower->isChecked() ? ClipFormat::toLowerAscii(text) : text;
    QGuiApplication::clipboard()->setText(copy, QClipboard::Clipboard);
}

void TVND_MAIN::M_ClipClick(QObject *Sender)
{
    auto *item = qobject_cast<QAction *>(Sender);
    if (!item)
        return;
    // Chosen without the menu shown (by a screen reader): its caption follows first.
    if (ui->M_CssSend->actions().indexOf(item) >= kFirstNotationOnShow - 1)
        CssMenuShow(nullptr);
    ClipTransfer(item->text());
}

void TVND_MAIN::M_ClipBoredClick(QObject *)
{
    ClipTransfer(ui->L_Color->text());
}

void TVND_MAIN::M_ScreenPickClick(QObject *)
{
    if (!m_screenPicker) {
        m_screenPicker = new ScreenPicker(this);
        connectHandler(m_screenPicker, &ScreenPicker::picked, this, &TVND_MAIN::ScreenPicked);
    }
    m_screenPicker->start();
}

void TVND_MAIN::ScreenPicked(QObject *)
{
    setComponents(m_screenPicker->color());
    RecentAdd(m_screenPicker->color());
}

void TVND_MAIN::M_ClipPasteClick(QObject *)
{
    const std::optional<QString> text = ClipboardText::read(ColorText::MaxLength);
    const QString shown = text ? text->simplified() : QString();
    if (shown.isEmpty()) {
        refuseClipboard({QStringLiteral("クリップボードに文字列がありません.")});
        return;
    }
    const ColorText::Reading reading = ColorText::interpret(*text);
    if (!reading.color) {
        constexpr int kShownLength = 40;
        const QString beginning = shown.size() > kShownLength ? shown.left(kShownLength) + QChar(0x2026) : shown;
        // A colour only a page could tell, or more than one: why, in one line.
        refuseClipboard({QStringLiteral("クリップボードの文字列は"), QStringLiteral("色として読み取れません."),
                         QStringLiteral("「%1」").arg(beginning)},
                        reading.reason);
        return;
    }
    setComponents(*reading.color);
    // Set once the colour has changed, which clears what the swatch said before.
    ui->Shape->setOutsideSrgb(reading.outsideSrgb ? reading.written : QString());
    RecentAdd(*reading.color);
}

void TVND_MAIN::RecentAdd(QRgb color)
{
    m_recent.add(color);
    m_recentStale = true;
}

// The items follow the list only when the menu opens: a copy costs no drawing of
// samples, and start-up none at all.
void TVND_MAIN::RecentMenuShow(QObject *)
{
    if (!m_recentStale)
        return;
    m_recentStale = false;
    const QList<QAction *> items = ui->M_Recent->actions();
    const QList<QRgb> &colors = m_recent.colors();
    for (int n = 0; n < RecentColors::Most; ++n) {
        QAction *item = items.at(n);
        item->setVisible(n < colors.size());
        if (n >= colors.size())
            continue;
        item->setText(QColor(colors.at(n)).name().toUpper());
        item->setIcon(RecentColors::icon(colors.at(n)));
        item->setData(colors.at(n));
    }
    ui->M_RecentNone->setVisible(colors.isEmpty());
    ui->M_RecentClear->setEnabled(!colors.isEmpty());
}

// A colour chosen again is set, not copied: the list stays in its order.
void TVND_MAIN::M_RecentClick(QObject *Sender)
{
    if (auto *item = qobject_cast<QAction *>(Sender))
        setComponents(QRgb(item->data().toUInt()));
}

void TVND_MAIN::M_RecentClearClick(QObject *)
{
    m_recent.clear();
    m_recentStale = true;
}

void TVND_MAIN::setComponents(QRgb color)
{
    const int red = qRed(color);
    const int green = qGreen(color);
    const int blue = qBlue(color);
    ui->SC_R->setValue(red);
    ui->SC_G->setValue(green);
    ui->SC_B->setValue(blue);
}

void TVND_MAIN::B_SetClipboradClick(QObject *)
{
    // Anchored to the window, not to the button: the menu opens at the same place
    // whether the button was clicked or pressed from the keyboard.
    const QPoint corner = VND_MAIN->frameGeometry().topLeft();
    ui->PopupMenu->exec(QPoint(corner.x(), corner.y() + 103));
}

void TVND_MAIN::M_ClipTransLowerClick(QObject *)
{
    // QAction toggles its own check mark before triggered() arrives, so the mark
    // already shows the new state here.
}

void TVND_MAIN::B_ColorDialogClick(QObject *)
{
    if (!m_colorDialog->execute(this))
        return;
    const TColor c = m_colorDialog->color();
    const int red = int(c & 0xFF);
    const int green = int((c >> 8) & 0xFF);
    const int blue = int((c >> 16) & 0xFF);
    ui->Shape->setPenColor(c);
    ui->SC_R->setValue(red);
    ui->SC_G->setValue(green);
    ui->SC_B->setValue(blue);
}

void TVND_MAIN::ColorReverse(QObject *)
{
    const int red = ui->SC_R->value();
    const int green = ui->SC_G->value();
    const int blue = ui->SC_B->value();
    ui->SC_R->setValue(255 - red);
    ui->SC_G->setValue(255 - green);
    ui->SC_B->setValue(255 - blue);
}

void TVND_MAIN::ColorRandom(QObject *)
{
    RandomSource &random = RandomSource::runtime();
    const int red = random.next() % 256;
    const int green = random.next() % 256;
    const int blue = random.next() % 256;
    ui->SC_R->setValue(red);
    ui->SC_G->setValue(green);
    ui->SC_B->setValue(blue);
}

void TVND_MAIN::M_B50uClick(QObject *)
{
    const int red = ui->SC_R->value();
    const int green = ui->SC_G->value();
    const int blue = ui->SC_B->value();
    ui->SC_R->setValue(red * 2);
    ui->SC_G->setValue(green * 2);
    ui->SC_B->setValue(blue * 2);
}

void TVND_MAIN::M_B50dClick(QObject *)
{
    const int red = ui->SC_R->value();
    const int green = ui->SC_G->value();
    const int blue = ui->SC_B->value();
    ui->SC_R->setValue(red >> 1);
    ui->SC_G->setValue(green >> 1);
    ui->SC_B->setValue(blue >> 1);
}

// The swatch is no stop of the Tab key; its tooltip comes to the keyboard this way.
void TVND_MAIN::M_ContrastClick(QObject *)
{
    ui->Shape->showContrast();
}

void TVND_MAIN::M_AlwaysOnTopClick(QObject *)
{
    // The check mark has already flipped (a checkable action); the placement follows it.
    // On the native window, so the shown window is neither re-created nor moved.
    const bool onTop = ui->M_AlwaysOnTop->isChecked();
    if (QWindow *window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void TVND_MAIN::M_ExitClick(QObject *)
{
    VND_MAIN->close();
}

void TVND_MAIN::MainMenuAbout(QObject *)
{
    WindowPlacement::moveFrame(VND_ABOUT, WindowPlacement::framePosition(VND_MAIN));
    // Start-up creates it without an owner; transient for the main window, the window
    // manager keeps it in front even of an always-on-top main window.
    VND_ABOUT->prepare();
    VND_ABOUT->windowHandle()->setTransientParent(VND_MAIN->windowHandle());
    VND_ABOUT->exec();
}

void TVND_MAIN::FormClose(QObject *, TCloseAction &Action)
{
    QString refusal;
    try {
        // All six keys reach the file together or not at all, in the place chosen at
        // the start: one that no longer takes them is a failure, not a reason to
        // put them somewhere else.
        TIniFile settings(m_settingsLocation, SettingsLocation::Use::Writing);
        // A place the program cannot know is not saved, nor one the window manager
        // chose instead of it and the user kept: the one stored stays as it is.
        if (WindowPlacement::positionKnown() && !WindowPlacement::placedElsewhere(this)) {
            const QPoint corner = WindowPlacement::framePosition(this);
            settings.writeInteger("Main", "X", corner.x());
            settings.writeInteger("Main", "Y", corner.y());
        }
        settings.writeInteger("Main", "ColorR", ui->SC_R->value());
        settings.writeInteger("Main", "ColorG", ui->SC_G->value());
        settings.writeInteger("Main", "ColorB", ui->SC_B->value());
        settings.writeBool("Main", "ClipTransLower", ui->M_ClipTransLower->isChecked());
        m_recent.write(settings);
        settings.updateFile();
        return;
    } catch (const Exception &e) {
        refusal = e.message();
    }
    // Asked to end by the system: nobody may be there to dismiss a box, and the
    // program ends all the same.
    if (QuitRequest::inProgress()) {
        QuitRequest::report(refusal);
        return;
    }
    // A file that can never be written must not hold the program open. Asked after
    // the catch block, so the box's event loop runs with no exception in flight.
    if (!ExceptionDisplay::askToEnd(refusal))
        Action = TCloseAction::caNone;
}

void TVND_MAIN::closeEvent(QCloseEvent *event)
{
    TCloseAction action = TCloseAction::caHide;
    const bool finished = Guard::run([&] { FormClose(this, action); });
    if (finished && action != TCloseAction::caNone)
        event->accept();
    else
        event->ignore();
}
