#include "picker/main.h"
#include "picker/colordialog.h"
#include "picker/screenpicker.h"
#include "picker/swatch.h"
#include "settings/settingslocation.h"
#include "shell/randomsource.h"
#include "shell/screenpixels.h"
#include "tests/testsupport.h"

#include <QClipboard>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWindow>

class TestMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void init();
    void cleanup();

    void startsBlackWithCaptions();
    void display_data();
    void display();
    void refreshOnlyOnRealChange_data();
    void refreshOnlyOnRealChange();
    void clamps_data();
    void clamps();
    void layout_data();
    void layout();
    void menus_data();
    void menus();
    void noContextMenu();
    void tabOrder();

    void clipFormats_data();
    void clipFormats();
    void bareCodeMatchesLastFormat_data();
    void bareCodeMatchesLastFormat();
    void lowerCaseOptionLeavesCaptions();
    void cssNotationItems();
    void outsideSrgbUntilTheColourChanges();
    void recentColours();
    void nonMenuSenderTransfersNothing();
    void popupOpensBelowClientArea();
    void commands_data();
    void commands();
    void negativeTwiceRestores();
    void randomFromFixedSeed();
    void colorDialogAccepted();
    void colorDialogCancelled();
    void colorsIn_data();
    void colorsIn();
    void copiedColorComesBack();
    void contrastClearOfCode_data();
    void contrastClearOfCode();
    void alwaysOnTop_data();
    void alwaysOnTop();
    void exitClosesWindow();

private:
    QScrollBar *bar(const char *name) const { return VND_MAIN->findChild<QScrollBar *>(name); }
    QString text(const char *label) const { return VND_MAIN->findChild<QLabel *>(label)->text(); }
    QAction *action(const QString &name) const { return VND_MAIN->findChild<QAction *>(name); }
    QColor color() const
    {
        return QColor(bar("SC_R")->value(), bar("SC_G")->value(), bar("SC_B")->value());
    }
    // Function keys reach the menu only in the active window.
    void showActive() const
    {
        VND_MAIN->show();
        VND_MAIN->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(VND_MAIN));
    }
    void setColor(int red, int green, int blue)
    {
        bar("SC_R")->setValue(red);
        bar("SC_G")->setValue(green);
        bar("SC_B")->setValue(blue);
    }
};

// Every case starts as a first run: no settings file beside the program.
void TestMain::init()
{
    QFile::remove(SettingsLocation().shownPath());
    Application::createForm(VND_MAIN);
}

void TestMain::cleanup()
{
    Application::destroyForm(VND_MAIN);
    QFile::remove(SettingsLocation().shownPath());
}

void TestMain::startsBlackWithCaptions()
{
    QCOMPARE(VND_MAIN->windowTitle(), QStringLiteral("ヴィンドレ 051113"));
    QCOMPARE(text("L_Color"), QStringLiteral("#000000"));
    QCOMPARE(VND_MAIN->pos(), QPoint(100, 100));
    // No scroll bar moved, yet every format item already carries its text.
    QCOMPARE(action("M_Clip13")->text(), QStringLiteral("#000000"));
    QCOMPARE(action("PM_Clip13")->text(), QStringLiteral("#000000"));
    QCOMPARE(action("M_Clip01")->text(), QStringLiteral("COLOR=\"#000000\""));
    QCOMPARE(action("PM_Clip12")->text(), QStringLiteral("background-color: #000000;"));
    // Nothing of the screen picker is built before it is first asked for.
    QVERIFY(!VND_MAIN->findChild<ScreenPicker *>());
}

void TestMain::display_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("code");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("codeLeft");

    QTest::newRow("black") << 0 << 0 << 0 << "#000000" << quint32(0) << 280;
    QTest::newRow("white") << 255 << 255 << 255 << "#FFFFFF" << quint32(0x00FFFFFF) << 280;
    QTest::newRow("zero padded") << 10 << 11 << 12 << "#0A0B0C" << quint32(0x000C0B0A) << 280;
    QTest::newRow("orange") << 255 << 128 << 0 << "#FF8000" << quint32(0x000080FF) << 280;
    // The widest codes move left just enough to keep a margin of swatch colour on the right.
    QTest::newRow("#DDDDDD, the widest") << 0xDD << 0xDD << 0xDD << "#DDDDDD" << quint32(0x00DDDDDD) << 273;
    QTest::newRow("#DCDCDC") << 0xDC << 0xDC << 0xDC << "#DCDCDC" << quint32(0x00DCDCDC) << 275;
    QTest::newRow("#BDBDBD") << 0xBD << 0xBD << 0xBD << "#BDBDBD" << quint32(0x00BDBDBD) << 277;
}

void TestMain::display()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, code);
    QFETCH(quint32, value);
    QFETCH(int, codeLeft);
    // Also run at QT_SCALE_FACTOR 1.5 and 2 (tests/CMakeLists.txt).
    QCOMPARE(VND_MAIN->devicePixelRatio(), qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());

    setColor(red, green, blue);
    QCOMPARE(text("L_ColorR"), QString::number(red));
    QCOMPARE(text("L_ColorG"), QString::number(green));
    QCOMPARE(text("L_ColorB"), QString::number(blue));
    QCOMPARE(text("L_Color"), code);
    QCOMPARE(VND_MAIN->findChild<Swatch *>("Shape")->penColor(), value);
    QCOMPARE(VND_MAIN->colorDialog()->color(), value);
    QCOMPARE(action("M_Clip13")->text(), code);
    QCOMPARE(action("PM_Clip01")->text(), QStringLiteral("COLOR=\"%1\"").arg(code));

    // The swatch shows the colour edge to edge.
    auto *swatch = VND_MAIN->findChild<Swatch *>("Shape");
    const QImage image = swatch->grab().toImage();
    const QColor expected(red, green, blue);
    QCOMPARE(image.pixelColor(0, 0), expected);
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), expected);
    // The labels grow with their text.
    auto *label = VND_MAIN->findChild<QLabel *>("L_ColorR");
    QCOMPARE(label->width(), label->sizeHint().width());
    // The code whole, in its box inside the swatch, clear of the bevel.
    auto *codeLabel = VND_MAIN->findChild<QLabel *>("L_Color");
    QCOMPARE(codeLabel->width(), codeLabel->sizeHint().width());
    QVERIFY(swatch->geometry().contains(codeLabel->geometry()));
    // Where the interface face is IPAPGothic; Windows draws its own face a pixel
    // wider or narrower here and there.
    if (QGuiApplication::platformName() != QLatin1String("windows"))
        QCOMPARE(codeLabel->pos(), QPoint(codeLeft, 35));
    QVERIFY(codeLabel->x() <= 280);
    QCOMPARE(codeLabel->y(), 35);
    // Swatch colour right of the box too, in the screen's own pixels.
    const QImage client = VND_MAIN->centralWidget()->grab().toImage();
    const qreal ratio = client.devicePixelRatio();
    const int row = qFloor(codeLabel->geometry().center().y() * ratio);
    const int boxEnd = qCeil((codeLabel->geometry().right() + 1) * ratio);
    const int swatchEnd = qFloor((swatch->geometry().right() + 1) * ratio);
    QVERIFY(swatchEnd - boxEnd >= 2);
    for (int column = boxEnd; column < swatchEnd; ++column)
        QCOMPARE(client.pixelColor(column, row), expected);
}

void TestMain::refreshOnlyOnRealChange_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("refreshes");

    QTest::newRow("real change") << 10 << 11 << 1;
    QTest::newRow("same position") << 10 << 10 << 0;
    QTest::newRow("clamped to the same position") << 255 << 300 << 0;
    QTest::newRow("clamped change") << 254 << 300 << 1;
}

void TestMain::refreshOnlyOnRealChange()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, refreshes);

    bar("SC_G")->setValue(from);
    // Every refresh rewrites the format captions; a changed colour changes them.
    QSignalSpy spy(action("M_Clip13"), &QAction::changed);
    bar("SC_G")->setValue(to);
    QCOMPARE(spy.count(), refreshes);
}

void TestMain::clamps_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("shown");
    QTest::newRow("above") << 300 << 255;
    QTest::newRow("below") << -5 << 0;
}

void TestMain::clamps()
{
    QFETCH(int, given);
    QFETCH(int, shown);
    bar("SC_R")->setValue(128);
    bar("SC_R")->setValue(given);
    QCOMPARE(bar("SC_R")->value(), shown);
    QCOMPARE(text("L_ColorR"), QString::number(shown));
}

void TestMain::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("Shape") << "Shape" << QRect(265, 10, 73, 61);
    QTest::newRow("Bevel") << "Bevel" << QRect(264, 8, 76, 65);
    QTest::newRow("SC_R") << "SC_R" << QRect(24, 8, 209, 13);
    QTest::newRow("SC_G") << "SC_G" << QRect(24, 32, 209, 13);
    QTest::newRow("SC_B") << "SC_B" << QRect(24, 56, 209, 13);
    QTest::newRow("B_SetClipborad") << "B_SetClipborad" << QRect(8, 80, 81, 17);
    QTest::newRow("B_ColorDialog") << "B_ColorDialog" << QRect(96, 80, 75, 17);
}

void TestMain::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    auto *widget = VND_MAIN->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(VND_MAIN->centralWidget()->size(), QSize(346, 103));
    QCOMPARE(VND_MAIN->minimumSize(), VND_MAIN->maximumSize());
}

void TestMain::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");

    QTest::newRow("M_ColorDialog") << "M_ColorDialog" << "色の参照ダイアログ(&D)" << QKeySequence(Qt::Key_F3);
    QTest::newRow("M_ClipBored") << "M_ClipBored" << "クリップボードに転送(&C)" << QKeySequence(Qt::Key_F5);
    QTest::newRow("M_ScreenPick") << "M_ScreenPick" << "画面から色を拾う(&P)" << QKeySequence(Qt::Key_F4);
    QTest::newRow("M_ClipPaste") << "M_ClipPaste" << "クリップボードから取り込む(&V)" << QKeySequence(QKeySequence::Paste);
    QTest::newRow("M_NegaPosi") << "M_NegaPosi" << "ネガ反転(&N)" << QKeySequence(Qt::Key_F2);
    QTest::newRow("M_Random") << "M_Random" << "ランダム色(&R)" << QKeySequence(Qt::Key_F1);
    QTest::newRow("M_B50u") << "M_B50u" << "輝度2倍" << QKeySequence();
    QTest::newRow("M_B50d") << "M_B50d" << "輝度1/2" << QKeySequence();
    QTest::newRow("M_Contrast") << "M_Contrast" << "コントラスト比(&K)" << QKeySequence(Qt::Key_F6);
    QTest::newRow("M_Exit") << "M_Exit" << "終了(&X)" << QKeySequence();
    QTest::newRow("M_ClipTransLower") << "M_ClipTransLower" << "小文字で転送(&L)" << QKeySequence(Qt::Key_F9);
    QTest::newRow("M_AlwaysOnTop") << "M_AlwaysOnTop" << "常に最前面表示(&T)" << QKeySequence(Qt::Key_F8);
    QTest::newRow("M_About") << "M_About" << "バージョン情報(&V)" << QKeySequence();
}

void TestMain::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QAction *item = action(name);
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), shortcut);

    // The menu bar reads: 選択色, オプション, then the About command itself.
    const QList<QAction *> bar = VND_MAIN->menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar.at(0)->text(), QStringLiteral("選択色(&C)"));
    QCOMPARE(bar.at(1)->text(), QStringLiteral("オプション(&O)"));
    QCOMPARE(bar.at(2), action("M_About"));

    const QList<QAction *> selectColor = VND_MAIN->findChild<QMenu *>("M_SelectColor")->actions();
    QStringList names;
    QString letters;
    for (QAction *a : selectColor) {
        names << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
        const qsizetype mark = a->text().indexOf(QLatin1Char('&'));
        if (mark >= 0) {
            QVERIFY2(!letters.contains(a->text().at(mark + 1)), qPrintable(a->text()));
            letters += a->text().at(mark + 1);
        }
    }
    QCOMPARE(names, (QStringList{"M_ColorDialog", "M_ScreenPick", "M_ClipBored", "M_ClipPaste", "-", "M_FormatSend",
                                 "M_CssSend", "M_Recent", "-", "M_NegaPosi", "M_Random", "-", "M_B50u", "M_B50d", "M_Contrast",
                                 "-", "M_Exit"}));
    QCOMPARE(VND_MAIN->findChild<QMenu *>("M_FormatSend")->actions().size(), 13);
    QCOMPARE(VND_MAIN->findChild<QMenu *>("PopupMenu")->actions().size(), 13);
}

void TestMain::noContextMenu()
{
    VND_MAIN->show();
    QList<QWidget *> targets = VND_MAIN->centralWidget()->findChildren<QWidget *>();
    targets << VND_MAIN << VND_MAIN->centralWidget() << VND_MAIN->menuBar();
    for (QWidget *target : targets) {
        if (target->inherits("QMenu"))
            continue;
        bool menuOpened = false;
        // Anything that opens would run its own loop; close it and remember.
        QTimer::singleShot(50, [&menuOpened] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuOpened = true;
                popup->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(target, &event);
        QTest::qWait(60);
        QVERIFY2(!menuOpened, qPrintable(target->objectName()));
    }
}

void TestMain::tabOrder()
{
    showActive();
    auto *first = VND_MAIN->findChild<QWidget *>("SC_R");
    first->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"SC_R", "SC_G", "SC_B", "B_SetClipborad", "B_ColorDialog", "SC_R"}));
}

void TestMain::clipFormats_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<bool>("lower");
    QTest::addColumn<QString>("expected");

    // Format 1 to 13 of (255, 128, 0), as shown and lowered.
    const char *const orange[][2] = {
        {"COLOR=\"#FF8000\"", "color=\"#ff8000\""},
        {"BGCOLOR=\"#FF8000\"", "bgcolor=\"#ff8000\""},
        {"TEXT=\"#FF8000\"", "text=\"#ff8000\""},
        {"LINK=\"#FF8000\"", "link=\"#ff8000\""},
        {"ALINK=\"#FF8000\"", "alink=\"#ff8000\""},
        {"VLINK=\"#FF8000\"", "vlink=\"#ff8000\""},
        {"BORDERCOLOR=\"#FF8000\"", "bordercolor=\"#ff8000\""},
        {"BORDERCOLORDARK=\"#FF8000\"", "bordercolordark=\"#ff8000\""},
        {"BORDERCOLORLIGHT=\"#FF8000\"", "bordercolorlight=\"#ff8000\""},
        {"\"#FF8000\"", "\"#ff8000\""},
        {"color: #FF8000;", "color: #ff8000;"},
        {"background-color: #FF8000;", "background-color: #ff8000;"},
        {"#FF8000", "#ff8000"},
    };
    for (int i = 0; i < 13; ++i) {
        for (bool lower : {false, true})
            QTest::addRow("format %d%s", i + 1, lower ? " lower" : "")
                << i + 1 << QColor(255, 128, 0) << lower << QString::fromLatin1(orange[i][lower]);
    }
    QTest::newRow("white, format 12 lower") << 12 << QColor(255, 255, 255) << true << "background-color: #ffffff;";
    QTest::newRow("white, format 13 lower") << 13 << QColor(255, 255, 255) << true << "#ffffff";
    QTest::newRow("black, format 10") << 10 << QColor(0, 0, 0) << false << "\"#000000\"";
    QTest::newRow("black, format 10 lower") << 10 << QColor(0, 0, 0) << true << "\"#000000\"";
}

void TestMain::clipFormats()
{
    QFETCH(int, format);
    QFETCH(QColor, color);
    QFETCH(bool, lower);
    QFETCH(QString, expected);

    setColor(color.red(), color.green(), color.blue());
    if (lower)
        action("M_ClipTransLower")->trigger();
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString name = QStringLiteral("Clip%1").arg(format, 2, 10, QLatin1Char('0'));

    clipboard->setText(QStringLiteral("before"));
    action("M_" + name)->trigger();
    QCOMPARE(clipboard->text(), expected);

    // The pop-up twin gives the same text, and transferring again gives it again.
    clipboard->setText(QStringLiteral("before"));
    action("PM_" + name)->trigger();
    QCOMPARE(clipboard->text(), expected);
    action("PM_" + name)->trigger();
    QCOMPARE(clipboard->text(), expected);

    // Captions keep the upper-case text whatever the option.
    QCOMPARE(action("M_" + name)->text().toLower(), expected.toLower());
    QCOMPARE(action("M_" + name)->text(), action("PM_" + name)->text());
    QVERIFY(!action("M_" + name)->text().contains(QLatin1Char('&')));
}

void TestMain::bareCodeMatchesLastFormat_data()
{
    QTest::addColumn<bool>("lower");
    QTest::addColumn<QString>("expected");
    QTest::newRow("as shown") << false << "#FFFFFF";
    QTest::newRow("lower case") << true << "#ffffff";
}

void TestMain::bareCodeMatchesLastFormat()
{
    QFETCH(bool, lower);
    QFETCH(QString, expected);
    setColor(255, 255, 255);
    action("M_ClipTransLower")->setChecked(lower);
    action("M_ClipBored")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    action("M_Clip13")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    QCOMPARE(text("L_Color"), QStringLiteral("#FFFFFF"));
}

void TestMain::lowerCaseOptionLeavesCaptions()
{
    setColor(171, 205, 239);
    QStringList captions;
    for (QAction *a : VND_MAIN->findChildren<QAction *>(QRegularExpression("^P?M_Clip\\d\\d$")))
        captions << a->text();
    QCOMPARE(captions.size(), 26);

    QAction *option = action("M_ClipTransLower");
    QSignalSpy captionChanges(action("M_Clip01"), &QAction::changed);
    QVERIFY(!option->isChecked());
    option->trigger();
    QVERIFY(option->isChecked());
    action("PM_Clip02")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("bgcolor=\"#abcdef\""));
    option->trigger();
    QVERIFY(!option->isChecked());

    QStringList after;
    for (QAction *a : VND_MAIN->findChildren<QAction *>(QRegularExpression("^P?M_Clip\\d\\d$")))
        after << a->text();
    QCOMPARE(after, captions);
    QCOMPARE(captionChanges.count(), 0);
    QCOMPARE(text("L_Color"), QStringLiteral("#ABCDEF"));
}

// Rebuilt with the colour, a notation the colour lacks greyed in its place; a click
// copies the caption, lowered as the formats are.
void TestMain::cssNotationItems()
{
    auto *menu = VND_MAIN->findChild<QMenu *>("M_CssSend");
    const auto captions = [menu] {
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction *item : menu->actions())
            texts << (item->isEnabled() ? item->text() : QStringLiteral("(") + item->text() + QStringLiteral(")"));
        return texts;
    };
    setColor(255, 136, 0);
    QCOMPARE(captions(), (QStringList{"rgb(255 136 0)", "rgb(255, 136, 0)", "hsl(32 100% 50%)", "hsl(32, 100%, 50%)",
                                      "#F80", "(色の名前（この色にはなし）)", "oklch(74.4% 0.1812 56.46)",
                                      "oklab(0.744 0.1 0.151)", "hwb(32 0% 0%)",
                                      "color(display-p3 0.94 0.558 0.206)"}));
    action("M_ClipTransLower")->trigger();
    action("M_Css05")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("#f80"));
    setColor(255, 165, 0);
    QCOMPARE(captions().mid(4, 3), (QStringList{"(3桁の #RGB（この色にはなし）)", "orange", "oklch(79.27% 0.171 70.7)"}));
    // Chosen while the menu is closed, a newer notation copies the colour of now.
    setColor(0, 0, 255);
    action("M_Css09")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hwb(240 0% 0%)"));
}

// A colour taken in from outside sRGB is shown clipped, and the swatch says so with
// the colour as written, until the colour changes.
void TestMain::outsideSrgbUntilTheColourChanges()
{
    auto *swatch = VND_MAIN->findChild<Swatch *>("Shape");
    const QString note = QStringLiteral("\nsRGB の外: OKLCH(70% 0.3 150)");
    QGuiApplication::clipboard()->setText(QStringLiteral("color: OKLCH(70%  0.3 150) !important;"));
    action("M_ClipPaste")->trigger();
    QCOMPARE(text("L_Color"), QStringLiteral("#00CB00"));
    QVERIFY2(swatch->toolTip().endsWith(note), qPrintable(swatch->toolTip()));
    QVERIFY(swatch->accessibleDescription().endsWith(note));
    QGuiApplication::clipboard()->setText(QStringLiteral("#00CB00"));
    action("M_ClipPaste")->trigger();
    QVERIFY(!swatch->toolTip().contains(QLatin1String("sRGB")));
    QGuiApplication::clipboard()->setText(QStringLiteral("oklch(70% 0.3 150)"));
    action("M_ClipPaste")->trigger();
    action("M_NegaPosi")->trigger();
    QVERIFY(!swatch->toolTip().contains(QLatin1String("sRGB")));
}

// Copies and colours taken in go on top; choosing one sets it and copies nothing.
void TestMain::recentColours()
{
    auto *menu = VND_MAIN->findChild<QMenu *>("M_Recent");
    const auto shown = [menu] {
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction *item : menu->actions()) {
            if (item->isVisible() && !item->isSeparator())
                texts << (item->isEnabled() ? item->text() : QStringLiteral("(") + item->text() + QStringLiteral(")"));
        }
        return texts;
    };
    QCOMPARE(shown(), (QStringList{"(（まだありません）)", "(履歴を消去(&E))"}));
    setColor(1, 2, 3);
    action("M_ClipBored")->trigger();
    setColor(255, 136, 0);
    action("M_Css01")->trigger();
    setColor(1, 2, 3);
    action("PM_Clip05")->trigger();
    QGuiApplication::clipboard()->setText(QStringLiteral("teal"));
    action("M_ClipPaste")->trigger();
    QCOMPARE(shown(), (QStringList{"#008080", "#010203", "#FF8800", "履歴を消去(&E)"}));
    QVERIFY(!action("M_Recent01")->icon().isNull());

    action("M_Recent03")->trigger();
    QCOMPARE(text("L_Color"), QStringLiteral("#FF8800"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("teal"));
    QCOMPARE(shown(), (QStringList{"#008080", "#010203", "#FF8800", "履歴を消去(&E)"}));
    action("M_RecentClear")->trigger();
    QCOMPARE(shown(), (QStringList{"(（まだありません）)", "(履歴を消去(&E))"}));
}

void TestMain::nonMenuSenderTransfersNothing()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    VND_MAIN->M_ClipClick(VND_MAIN->findChild<QPushButton *>("B_SetClipborad"));
    VND_MAIN->M_ClipClick(nullptr);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

void TestMain::popupOpensBelowClientArea()
{
    VND_MAIN->move(150, 120);
    VND_MAIN->show();
    QVERIFY(QTest::qWaitForWindowExposed(VND_MAIN));
    const QPoint corner = VND_MAIN->frameGeometry().topLeft();
    auto *popup = VND_MAIN->findChild<QMenu *>("PopupMenu");

    QPoint shownAt;
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    // Closing the menu without a choice transfers nothing.
    QTimer::singleShot(100, [&] {
        shownAt = popup->isVisible() ? popup->pos() : QPoint(-1, -1);
        popup->close();
    });
    VND_MAIN->findChild<QPushButton *>("B_SetClipborad")->click();
    QCOMPARE(shownAt, QPoint(corner.x(), corner.y() + 103));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));

    // Choosing the first item transfers its text.
    setColor(1, 2, 3);
    QTimer::singleShot(100, [&] {
        popup->setActiveAction(popup->actions().first());
        QTest::keyClick(popup, Qt::Key_Return);
    });
    QTest::keyClick(VND_MAIN->findChild<QPushButton *>("B_SetClipborad"), Qt::Key_Space);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("COLOR=\"#010203\""));
}

void TestMain::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QColor>("before");
    QTest::addColumn<QColor>("after");
    QTest::addColumn<int>("refreshes");

    QTest::newRow("negative of black") << "M_NegaPosi" << QColor(0, 0, 0) << QColor(255, 255, 255) << 3;
    QTest::newRow("negative") << "M_NegaPosi" << QColor(128, 64, 1) << QColor(127, 191, 254) << 3;
    QTest::newRow("negative swaps 127 and 128") << "M_NegaPosi" << QColor(127, 128, 127) << QColor(128, 127, 128) << 3;
    QTest::newRow("x2 saturates") << "M_B50u" << QColor(127, 128, 255) << QColor(254, 255, 255) << 2;
    QTest::newRow("x2 of black") << "M_B50u" << QColor(0, 0, 0) << QColor(0, 0, 0) << 0;
    QTest::newRow("x2 of one component") << "M_B50u" << QColor(200, 0, 0) << QColor(255, 0, 0) << 1;
    QTest::newRow("1/2 drops the fraction") << "M_B50d" << QColor(255, 1, 0) << QColor(127, 0, 0) << 2;
    QTest::newRow("1/2 of black") << "M_B50d" << QColor(0, 0, 0) << QColor(0, 0, 0) << 0;
}

void TestMain::commands()
{
    QFETCH(QString, command);
    QFETCH(QColor, before);
    QFETCH(QColor, after);
    QFETCH(int, refreshes);

    setColor(before.red(), before.green(), before.blue());
    QSignalSpy spy(action("M_Clip13"), &QAction::changed);
    action(command)->trigger();
    QCOMPARE(color(), after);
    QCOMPARE(spy.count(), refreshes);
    QCOMPARE(text("L_Color"), after.name(QColor::HexRgb).toUpper());
}

void TestMain::negativeTwiceRestores()
{
    setColor(12, 200, 77);
    action("M_NegaPosi")->trigger();
    action("M_NegaPosi")->trigger();
    QCOMPARE(color(), QColor(12, 200, 77));

    // Halving then doubling loses the low bit.
    setColor(255, 255, 255);
    action("M_B50d")->trigger();
    action("M_B50u")->trigger();
    QCOMPARE(color(), QColor(254, 254, 254));
}

void TestMain::randomFromFixedSeed()
{
    // Seed 1 draws 130, 10982, 1090 and then 11656, 7117, 17595 (see the generator's
    // own test); modulo 256 these are (130, 230, 66) and (136, 205, 187).
    RandomSource::runtime().seed(1);
    QSignalSpy spy(action("M_Clip13"), &QAction::changed);
    action("M_Random")->trigger();
    QCOMPARE(color(), QColor(130, 230, 66));
    QCOMPARE(spy.count(), 3);
    showActive();
    QTest::keyClick(VND_MAIN, Qt::Key_F1);
    QCOMPARE(color(), QColor(136, 205, 187));

    // Every use takes the generator's next three draws, red first; nothing else draws.
    RandomSource reference = RandomSource::runtime();
    for (int i = 0; i < 200; ++i) {
        action("M_Random")->trigger();
        for (const char *name : {"SC_R", "SC_G", "SC_B"})
            QCOMPARE(bar(name)->value(), reference.next() % 256);
    }
}

void TestMain::colorDialogAccepted()
{
    setColor(10, 20, 30);
    VND_MAIN->show();
    QColor openedOn;
    bool modal = false;
    QTimer::singleShot(100, [&] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        openedOn = dialog->currentColor();
        modal = dialog->isModal();
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog->accept();
    });
    QSignalSpy spy(action("M_Clip13"), &QAction::changed);
    action("M_ColorDialog")->trigger();
    QCOMPARE(openedOn, QColor(10, 20, 30));
    QVERIFY(modal);
    QCOMPARE(color(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(VND_MAIN->findChild<Swatch *>("Shape")->penColor(), quint32(0x563412));
    QCOMPARE(spy.count(), 3);

    // OK on the colour it opened with changes nothing.
    QTimer::singleShot(100, [] {
        if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    VND_MAIN->findChild<QPushButton *>("B_ColorDialog")->click();
    QCOMPARE(color(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(spy.count(), 3);
}

void TestMain::colorDialogCancelled()
{
    setColor(200, 100, 50);
    showActive();
    bool opened = false;
    QTimer::singleShot(100, [&] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        dialog->setCurrentColor(QColor(1, 2, 3));
        dialog->reject();
    });
    QSignalSpy spy(action("M_Clip13"), &QAction::changed);
    QTest::keyClick(VND_MAIN, Qt::Key_F3);
    QVERIFY(opened);
    QCOMPARE(color(), QColor(200, 100, 50));
    QCOMPARE(spy.count(), 0);
}

void TestMain::colorsIn_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QColor>("after");
    QTest::addColumn<int>("refreshes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reason");
    const QColor orange(255, 128, 0);
    const QString notAColour = QStringLiteral("クリップボードの文字列は\n色として読み取れません.\n「%1」");
    const QString noText = QStringLiteral("クリップボードに文字列がありません.");

    QTest::newRow("a new colour") << "M_ClipPaste" << "rgb(1 2 3)" << QColor(1, 2, 3) << 3 << "" << "";
    QTest::newRow("one component new") << "M_ClipPaste" << "color: #ff8001;" << QColor(255, 128, 1) << 1 << "" << "";
    QTest::newRow("the same colour") << "M_ClipPaste" << "\n#FF8000\n" << orange << 0 << "" << "";
    QTest::newRow("empty") << "M_ClipPaste" << "" << orange << 0 << noText << "";
    QTest::newRow("whitespace") << "M_ClipPaste" << " \n\t" << orange << 0 << noText << "";
    QTest::newRow("not a colour") << "M_ClipPaste" << "the colour red" << orange << 0 << notAColour.arg("the colour red") << "";
    // Over what is read, in one line, why: two colours, or one only a page could tell.
    QTest::newRow("line breaks shown as spaces") << "M_ClipPaste" << " red\n\ngreen " << orange << 0
                                                 << notAColour.arg("red green")
                                                 << "色が 2 つ以上あり、\nどれを取り込むか決まりません";
    QTest::newRow("var()") << "M_ClipPaste" << "color: var(--brand);" << orange << 0
                           << notAColour.arg("color: var(--brand);") << "var() はページの外では値を持ちません";
    QTest::newRow("the longest reason") << "M_ClipPaste" << "light-dark(#fff, #000)" << orange << 0
                                        << notAColour.arg("light-dark(#fff, #000)")
                                        << "light-dark() はページがライトとダークの\nどちらで表示されるかによって決まります";
    QTest::newRow("markup shown as it is") << "M_ClipPaste" << "<b>red</b>" << orange << 0 << notAColour.arg("<b>red</b>") << "";
    QTest::newRow("the first 40 of a long text") << "M_ClipPaste" << QString(300, QLatin1Char('a')) << orange << 0
                                                 << notAColour.arg(QString(40, QLatin1Char('a')) + QChar(0x2026)) << "";
    QTest::newRow("a screen that cannot be read") << "M_ScreenPick" << "" << orange << 0
                                                  << "この画面からは色を拾えません." << "";
}

void TestMain::colorsIn()
{
    QFETCH(QString, command);
    QFETCH(QString, clipboard);
    QFETCH(QColor, after);
    QFETCH(int, refreshes);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    if (command == QLatin1String("M_ScreenPick") && ScreenPixels::available())
        QSKIP("this screen can be read");
    setColor(255, 128, 0);
    QGuiApplication::clipboard()->setText(clipboard);
    MessageBoxCatcher catcher;
    QSignalSpy spy(action("M_Clip13"), &QAction::changed);
    action(command)->trigger();
    QCOMPARE(color(), after);
    QCOMPARE(spy.count(), refreshes);
    QCOMPARE(catcher.boxes.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("ヴィンドレ 051113"));
        QCOMPARE(catcher.boxes.first().text, message);
        QCOMPARE(catcher.boxes.first().format, Qt::PlainText);
        // A miss on the clipboard is harmless and says what is read; no line is broken.
        const bool miss = command == "M_ClipPaste";
        QCOMPARE(catcher.boxes.first().icon, miss ? QMessageBox::Information : QMessageBox::Critical);
        const QString read = QStringLiteral("読み取れるもの: #RGB #RRGGBB 色の名前\nrgb() hsl() hwb() lab() lch()\n"
                                            "oklab() oklch() color() color-mix()");
        QCOMPARE(catcher.boxes.first().notes, !miss ? QString() : reason.isEmpty() ? read : reason + "\n" + read);
        QCOMPARE(catcher.boxes.first().broken, QStringList());
    }
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible() || window == VND_MAIN, qPrintable(window->objectName()));
}

// What F5 and the formats copy comes back with Ctrl+V, also in lower case.
void TestMain::copiedColorComesBack()
{
    setColor(12, 34, 56);
    action("M_ClipTransLower")->trigger();
    action("M_Clip11")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("color: #0c2238;"));
    setColor(0, 0, 0);
    showActive();
    QTest::keyClick(VND_MAIN, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(color(), QColor(12, 34, 56));
}

void TestMain::contrastClearOfCode_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("below");
    QTest::newRow("F6") << "F6" << true;
    QTest::newRow("the pointer resting on the code") << "pointer" << true;
    QTest::newRow("the window partly below the screen: above the swatch") << "F6" << false;
}

// The tooltip tells the swatch's contrast beside it, never over the code it is about,
// and follows the colour while it is up.
void TestMain::contrastClearOfCode()
{
    QFETCH(QString, how);
    QFETCH(bool, below);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    VND_MAIN->move(100, below ? 100 : screen.bottom() - 100);
    setColor(0x77, 0x77, 0x77);
    showActive();
    auto *swatch = VND_MAIN->findChild<Swatch *>("Shape");
    if (how == "F6") {
        QTest::keyClick(VND_MAIN, Qt::Key_F6);
    } else {
        QHelpEvent event(QEvent::ToolTip, QPoint(20, 30), swatch->mapToGlobal(QPoint(20, 30)));
        QApplication::sendEvent(swatch, &event);
    }
    QWidget *tip = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets())
        tip = window->inherits("QTipLabel") && window->isVisible() ? window : tip;
    QVERIFY(tip);
    QCOMPARE(QToolTip::text(), QStringLiteral("コントラスト比 白地 4.47:1 (AA 大きな文字) ・ 黒地 4.68:1 (AA)"));
    const QRect swatchOnScreen(swatch->mapToGlobal(QPoint(0, 0)), swatch->size());
    QVERIFY(!tip->geometry().intersects(swatchOnScreen) && screen.contains(tip->geometry()));
    QCOMPARE(tip->geometry().top() > swatchOnScreen.bottom(), below);
    setColor(0, 0, 0);
    QCOMPARE(QToolTip::text(), QStringLiteral("コントラスト比 白地 21.00:1 (AAA) ・ 黒地 1.00:1"));
}

void TestMain::alwaysOnTop_data()
{
    QTest::addColumn<bool>("beforeShowing");
    QTest::newRow("on the shown window") << false;
    QTest::newRow("chosen before the window is shown") << true;
}

void TestMain::alwaysOnTop()
{
    QFETCH(bool, beforeShowing);
    QAction *item = action("M_AlwaysOnTop");
    QVERIFY(!item->isChecked());
    if (beforeShowing)
        item->trigger();
    showActive();
    const QPoint placed = VND_MAIN->pos();
    QWindow *window = VND_MAIN->windowHandle();

    if (!beforeShowing)
        item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(window->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(VND_MAIN->windowHandle(), window);

    QTest::keyClick(VND_MAIN, Qt::Key_F8);
    QVERIFY(!item->isChecked());
    QVERIFY(!window->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(VND_MAIN->pos(), placed);
}

void TestMain::exitClosesWindow()
{
    VND_MAIN->show();
    QVERIFY(QTest::qWaitForWindowExposed(VND_MAIN));
    action("M_Exit")->trigger();
    QVERIFY(!VND_MAIN->isVisible());
}

QTEST_MAIN(TestMain)
#include "tst_main.moc"
