#include "picker/main.h"
#include "picker/colordialog.h"
#include "picker/swatch.h"
#include "tests/testsupport.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

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

private:
    QScrollBar *bar(const char *name) const { return VND_MAIN->findChild<QScrollBar *>(name); }
    QString text(const char *label) const { return VND_MAIN->findChild<QLabel *>(label)->text(); }
    QAction *action(const QString &name) const { return VND_MAIN->findChild<QAction *>(name); }
    void setColor(int red, int green, int blue)
    {
        bar("SC_R")->setValue(red);
        bar("SC_G")->setValue(green);
        bar("SC_B")->setValue(blue);
    }
};

void TestMain::init()
{
    Application::createForm(VND_MAIN);
}

void TestMain::cleanup()
{
    Application::destroyForm(VND_MAIN);
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
}

void TestMain::display_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("code");
    QTest::addColumn<quint32>("value");

    QTest::newRow("black") << 0 << 0 << 0 << "#000000" << quint32(0);
    QTest::newRow("white") << 255 << 255 << 255 << "#FFFFFF" << quint32(0x00FFFFFF);
    QTest::newRow("zero padded") << 10 << 11 << 12 << "#0A0B0C" << quint32(0x000C0B0A);
    QTest::newRow("orange") << 255 << 128 << 0 << "#FF8000" << quint32(0x000080FF);
}

void TestMain::display()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, code);
    QFETCH(quint32, value);

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
    QTest::newRow("M_NegaPosi") << "M_NegaPosi" << "ネガ反転(&N)" << QKeySequence(Qt::Key_F2);
    QTest::newRow("M_Random") << "M_Random" << "ランダム色(&R)" << QKeySequence(Qt::Key_F1);
    QTest::newRow("M_B50u") << "M_B50u" << "輝度2倍" << QKeySequence();
    QTest::newRow("M_B50d") << "M_B50d" << "輝度1/2" << QKeySequence();
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
    for (QAction *a : selectColor)
        names << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
    QCOMPARE(names, (QStringList{"M_ColorDialog", "M_ClipBored", "-", "M_FormatSend", "-", "M_NegaPosi",
                                 "M_Random", "-", "M_B50u", "M_B50d", "-", "M_Exit"}));
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

QTEST_MAIN(TestMain)
#include "tst_main.moc"
