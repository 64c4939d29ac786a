#include "about/about.h"
#include "about/urllink.h"
#include "picker/main.h"
#include "shell/windowplacement.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void init();
    void cleanup();

    void window();
    void texts_data();
    void texts();
    void places_data();
    void places();
    void fonts_data();
    void fonts();
    void links_data();
    void links();
    void banner();
    void showsOnMainWindowCorner();
    void mainWindowTakesNoInputWhileShown();

private:
    template <typename T = QLabel>
    T *control(const char *name) const { return VND_ABOUT->findChild<T *>(QLatin1String(name)); }
    // Runs the About command; while the window is up, check runs, then the close box is used.
    void showAbout(const std::function<void()> &check);
    QScrollBar *redBar() const { return VND_MAIN->findChild<QScrollBar *>(QStringLiteral("SC_R")); }
};

void TestAbout::init()
{
    Application::createForm(VND_MAIN);
    Application::createForm(VND_ABOUT);
    VND_ABOUT->prepare();
}

void TestAbout::cleanup()
{
    Application::destroyForm(VND_ABOUT);
    Application::destroyForm(VND_MAIN);
}

void TestAbout::showAbout(const std::function<void()> &check)
{
    bool ran = false;
    QTimer closer;
    closer.setSingleShot(true);
    connect(&closer, &QTimer::timeout, VND_ABOUT, [&] {
        if (QTest::qWaitFor([] { return VND_ABOUT->isVisible(); })) {
            check();
            ran = true;
        }
        VND_ABOUT->close();
    });
    closer.start(0);
    VND_MAIN->findChild<QAction *>(QStringLiteral("M_About"))->trigger();
    QVERIFY(ran);
    QVERIFY(!VND_ABOUT->isVisible());
}

void TestAbout::window()
{
    QVERIFY(!VND_ABOUT->isVisible());
    QCOMPARE(VND_ABOUT->objectName(), QStringLiteral("VND_ABOUT"));
    QCOMPARE(VND_ABOUT->windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(VND_ABOUT->size(), QSize(217, 135));
    QCOMPARE(VND_ABOUT->minimumSize(), QSize(217, 135));
    QCOMPARE(VND_ABOUT->maximumSize(), QSize(217, 135));

    const Qt::WindowFlags flags = VND_ABOUT->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));

    // Black where no control is.
    const QImage image = VND_ABOUT->grab().toImage();
    for (const QPoint &p : {QPoint(0, 0), QPoint(200, 20), QPoint(216, 134), QPoint(150, 70)})
        QCOMPARE(image.pixelColor(p), QColor(Qt::black));
}

void TestAbout::texts_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("title, not the stored text") << QByteArray("Label1") << "ヴィンドレ 051113";
    QTest::newRow("maker") << QByteArray("Label2") << "ゼルビク製作所";
    QTest::newRow("web address") << QByteArray("URLLink1") << "http://www.example.com/";
    QTest::newRow("mail address") << QByteArray("URLLink2") << "info@example.com";
}

void TestAbout::texts()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, text);
    QLabel *label = control(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    // Sized to its text.
    QCOMPARE(label->size(), label->sizeHint());
}

void TestAbout::places_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QPoint>("place");

    QTest::newRow("Label1") << QByteArray("Label1") << QPoint(8, 8);
    QTest::newRow("Label2") << QByteArray("Label2") << QPoint(8, 32);
    QTest::newRow("URLLink1") << QByteArray("URLLink1") << QPoint(8, 48);
    QTest::newRow("URLLink2") << QByteArray("URLLink2") << QPoint(8, 64);
    QTest::newRow("Image2") << QByteArray("Image2") << QPoint(8, 88);
}

void TestAbout::places()
{
    QFETCH(QByteArray, name);
    QFETCH(QPoint, place);
    QWidget *widget = control<QWidget>(name);
    QVERIFY(widget);
    QCOMPARE(widget->pos(), place);
    // Inside the window and clear of every other control.
    QVERIFY(VND_ABOUT->rect().contains(widget->geometry()));
    for (QWidget *other : VND_ABOUT->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != widget)
            QVERIFY2(!other->geometry().intersects(widget->geometry()), qPrintable(other->objectName()));
    }
}

void TestAbout::fonts_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");

    QTest::newRow("title bold") << QByteArray("Label1") << true << false;
    QTest::newRow("maker plain") << QByteArray("Label2") << false << false;
    QTest::newRow("web link underlined") << QByteArray("URLLink1") << false << true;
    QTest::newRow("mail link underlined") << QByteArray("URLLink2") << false << true;
}

void TestAbout::fonts()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QLabel *label = control(name);
    QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(label->font().pixelSize(), 12);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->font().underline(), underline);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));

    // The text really is light on black: grey levels only, and near white where the strokes are full.
    const QImage image = VND_ABOUT->grab(label->geometry()).toImage();
    int brightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            QCOMPARE(c.red(), c.blue());
            brightest = qMax(brightest, c.red());
        }
    }
    QVERIFY2(brightest >= 224, qPrintable(QString::number(brightest)));
    QCOMPARE(image.pixelColor(image.width() - 1, 0), QColor(Qt::black));
}

void TestAbout::links_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<TURLtype>("type");
    QTest::addColumn<QString>("target");

    QTest::newRow("web") << QByteArray("URLLink1") << tpURL << "http://www.example.com/";
    QTest::newRow("mail") << QByteArray("URLLink2") << tpMAIL << "mailto:info@example.com";
}

void TestAbout::links()
{
    QFETCH(QByteArray, name);
    QFETCH(TURLtype, type);
    QFETCH(QString, target);
    auto *link = control<TURLLink>(name);
    QVERIFY(link);
    QCOMPARE(link->URLType(), type);
    QCOMPARE(link->Link(), link->text());
    QCOMPARE(link->target(), target);
    QCOMPARE(link->EnableShowHint(), false);
    QCOMPARE(link->LinkColor(), TColors::clRed);
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!link->autoFillBackground());
    QCOMPARE(link->HintFormFont().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(link->HintFormFont().pixelSize(), 12);
}

void TestAbout::banner()
{
    QLabel *image = control("Image2");
    QCOMPARE(image->size(), QSize(201, 41));
    // Drawn at the screen's own scale: also run at 200 % (tests/CMakeLists.txt).
    const qreal ratio = image->devicePixelRatioF();
    QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    const QImage picture = image->pixmap().toImage();
    QCOMPARE(picture.size(), QSize(200, 40) * ratio);
    QCOMPARE(image->pixmap().deviceIndependentSize(), QSizeF(200, 40));
    // The colour at a point of the picture, in its own pixels.
    const auto at = [ratio](const QImage &shown, int x, int y) {
        return shown.pixelColor(qFloor(x * ratio), qFloor(y * ratio));
    };

    const QColor frame(181, 181, 181);
    for (int x = 0; x < 200; ++x) {
        QCOMPARE(at(picture, x, 0), frame);
        QCOMPARE(at(picture, x, 39), frame);
    }
    for (int y = 0; y < 40; ++y) {
        QCOMPARE(at(picture, 0, y), frame);
        QCOMPARE(at(picture, 199, y), frame);
    }

    // Lettering only in the lower-right quarter, grey on black.
    int lettered = 0;
    for (int y = 1; y < 39; ++y) {
        for (int x = 1; x < 199; ++x) {
            const QColor c = at(picture, x, y);
            if (c == Qt::black)
                continue;
            QVERIFY2(x >= 100 && y >= 20, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            QVERIFY(c.red() == c.green() && c.green() == c.blue() && c.red() <= 181);
            ++lettered;
        }
    }
    QVERIFY(lettered > 50);

    // Drawn at its natural size in the top-left corner of the control.
    const QImage shown = VND_ABOUT->grab(image->geometry()).toImage();
    QCOMPARE(at(shown, 0, 0), frame);
    QCOMPARE(at(shown, 199, 39), frame);
    QCOMPARE(at(shown, 200, 40), QColor(Qt::black));
}

void TestAbout::showsOnMainWindowCorner()
{
    VND_MAIN->show();
    QVERIFY(QTest::qWaitForWindowExposed(VND_MAIN));

    WId native = 0;
    for (const QPoint &corner : {QPoint(123, 77), QPoint(410, 260)}) {
        VND_MAIN->move(corner);
        QTRY_COMPARE(VND_MAIN->pos(), corner);
        showAbout([&] {
            // Hidden between showings, never destroyed.
            if (native)
                QCOMPARE(VND_ABOUT->internalWinId(), native);
            native = VND_ABOUT->internalWinId();
            QVERIFY(native);
            QTest::keyClick(VND_ABOUT, Qt::Key_Escape);
            QVERIFY(VND_ABOUT->isVisible());
            QCOMPARE(WindowPlacement::framePosition(VND_ABOUT), WindowPlacement::framePosition(VND_MAIN));
            QCOMPARE(QApplication::activeModalWidget(), VND_ABOUT);
            QCOMPARE(VND_ABOUT->windowHandle()->transientParent(), VND_MAIN->windowHandle());
            QCOMPARE(control("Label1")->text(), QStringLiteral("ヴィンドレ 051113"));
            QCOMPARE(control("URLLink2")->text(), QStringLiteral("info@example.com"));
            QCOMPARE(VND_ABOUT->size(), QSize(217, 135));
            // Iconified by a window manager that offers it whatever the hints say.
            VND_ABOUT->setWindowState(Qt::WindowMinimized);
            QTRY_VERIFY(VND_ABOUT->isVisible() && !VND_ABOUT->isMinimized());
        });
    }
    QVERIFY(VND_MAIN->isVisible());
}

void TestAbout::mainWindowTakesNoInputWhileShown()
{
    VND_MAIN->show();
    QVERIFY(QTest::qWaitForWindowExposed(VND_MAIN));
    QCOMPARE(redBar()->value(), 0);

    showAbout([&] {
        // F2 (negative) pressed at the main window and at the About window alike.
        QTest::keyClick(VND_MAIN->windowHandle(), Qt::Key_F2);
        QTest::keyClick(VND_ABOUT->windowHandle(), Qt::Key_F2);
        QTest::mouseClick(VND_MAIN->windowHandle(), Qt::LeftButton, {},
                          redBar()->mapTo(VND_MAIN, redBar()->rect().center()));
        QCoreApplication::processEvents();
        QCOMPARE(redBar()->value(), 0);
    });

    // Once it is closed the same key reaches the main window again.
    // The offscreen platform leaves the focus on the hidden window; a window manager would not.
    VND_MAIN->windowHandle()->requestActivate();
    QTRY_COMPARE(QApplication::activeWindow(), VND_MAIN);
    QTest::keyClick(VND_MAIN->windowHandle(), Qt::Key_F2);
    QTRY_COMPARE(redBar()->value(), 255);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
