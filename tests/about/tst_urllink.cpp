#include "about/urllink.h"
#include "tests/testsupport.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QUrl>

// Counts the paint events one widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget)
    {
        widget->installEventFilter(this);
    }

    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Stands in for the desktop's opener: records every target handed over.
class Opener : public QObject
{
    Q_OBJECT

public:
    QStringList opened;

public slots:
    void open(const QUrl &url) { opened.append(url.toString()); }
};

class TestURLLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaults();
    void setterRepaintsOnlyOnChange_data();
    void setterRepaintsOnlyOnChange();
    void hintFormFontIsCopied();
    void colourSwap_data();
    void colourSwap();
    void hintBox_data();
    void hintBox();
    void hintBoxOncePerVisit();
    void hintBoxKeepsLookUntilNextShowing();
    void hintBoxAndButtons_data();
    void hintBoxAndButtons();
    void noHintBoxWhenDisabled();
    void press_data();
    void press();
    void opensOnPressNotRelease();
    void doubleClickOpensTwice();
    void caption_data();
    void caption();
    void accessKeyUnderlinesNextCharacter();

private:
    // Repaints of the link caused by action; counted once the window has painted
    // a sentinel beside it, so a missing repaint is seen without waiting for one.
    int repaintsOf(const std::function<void()> &action);
    QWidget *hintForm() const;
    void pointTo(const QPoint &global);
    void pointAt(int x, int y) { pointTo(m_link->mapToGlobal(QPoint(x, y))); }
    void pointOutside() { pointTo(QPoint(0, 0)); }
    // A plain label with text, in the link's font and colours, both filling their background.
    std::unique_ptr<QLabel> plainTwin(const QString &text);
    static QImage picture(QWidget *widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QWidget *m_host = nullptr;
    TURLLink *m_link = nullptr;
    QWidget *m_sentinel = nullptr;
    Opener *m_opener = nullptr;
};

void TestURLLink::initTestCase()
{
    prepareApplication();
}

void TestURLLink::init()
{
    m_host = new QWidget;
    m_host->setGeometry(100, 100, 320, 120);
    m_link = new TURLLink(m_host);
    m_link->setText(QStringLiteral("リンク text"));
    m_link->setGeometry(10, 10, 200, 20);
    m_sentinel = new QWidget(m_host);
    m_sentinel->setGeometry(280, 90, 10, 10);
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
    pointOutside();

    m_opener = new Opener;
    for (const char *scheme : {"http", "https", "mailto", ""})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), m_opener, "open");
}

void TestURLLink::cleanup()
{
    pointOutside();
    for (const char *scheme : {"http", "https", "mailto", ""})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    delete m_opener;
    delete m_host;
}

int TestURLLink::repaintsOf(const std::function<void()> &action)
{
    PaintCounter link(m_link);
    PaintCounter sentinel(m_sentinel);
    action();
    m_sentinel->update();
    if (!QTest::qWaitFor([&] { return sentinel.count > 0; }))
        return -1;
    return link.count;
}

QWidget *TestURLLink::hintForm() const
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("HintForm"))
            return widget;
    }
    return nullptr;
}

void TestURLLink::pointTo(const QPoint &global)
{
    QCursor::setPos(global);
    QCoreApplication::processEvents();
}

std::unique_ptr<QLabel> TestURLLink::plainTwin(const QString &text)
{
    m_link->setFontColor(Qt::black);
    m_link->setAutoFillBackground(true);
    auto label = std::make_unique<QLabel>(text);
    label->setAutoFillBackground(true);
    label->setPalette(m_link->palette());
    label->setFont(m_link->font());
    return label;
}

void TestURLLink::defaults()
{
    TURLLink link;
    QCOMPARE(link.fontColor(), QColor(0, 0, 255));
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(link.URLType(), tpURL);
    QCOMPARE(link.Link(), QStringLiteral("http://"));
    QCOMPARE(link.LinkColor(), TColors::clRed);
    QCOMPARE(link.HintFormColor(), TColors::clInfoBk);
    QCOMPARE(link.HintOffsetX(), 15);
    QCOMPARE(link.HintOffsetY(), 15);
    QCOMPARE(link.EnableShowHint(), true);
    QCOMPARE(link.HintFormFont(), QFont());
    QVERIFY(link.hasMouseTracking());
    QCOMPARE(link.focusPolicy(), Qt::NoFocus);
    QCOMPARE(link.target(), QStringLiteral("http://"));
}

void TestURLLink::setterRepaintsOnlyOnChange_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("other");

    QTest::newRow("URLType") << QByteArray("URLType") << QVariant::fromValue(tpMAIL);
    QTest::newRow("Link") << QByteArray("Link") << QVariant(QStringLiteral("http://www.example.com/"));
    QTest::newRow("Link emptied") << QByteArray("Link") << QVariant(QString());
    QTest::newRow("EnableShowHint") << QByteArray("EnableShowHint") << QVariant(false);
    QTest::newRow("HintFormColor") << QByteArray("HintFormColor") << QVariant::fromValue(TColors::clWhite);
    QTest::newRow("HintOffsetX") << QByteArray("HintOffsetX") << QVariant(0);
    QTest::newRow("HintOffsetY") << QByteArray("HintOffsetY") << QVariant(-40);
    QTest::newRow("LinkColor") << QByteArray("LinkColor") << QVariant::fromValue(TColors::clBlue);
}

void TestURLLink::setterRepaintsOnlyOnChange()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, other);
    const QVariant initial = m_link->property(property);
    QVERIFY(initial != other);

    QCOMPARE(repaintsOf([&] { QVERIFY(m_link->setProperty(property, initial)); }), 0);
    QCOMPARE(repaintsOf([&] { QVERIFY(m_link->setProperty(property, other)); }), 1);
    QCOMPARE(m_link->property(property), other);
    QCOMPARE(repaintsOf([&] { m_link->setProperty(property, other); }), 0);
    QCOMPARE(repaintsOf([&] { m_link->setProperty(property, initial); }), 1);
    QCOMPARE(m_link->property(property), initial);
}

void TestURLLink::hintFormFontIsCopied()
{
    QCOMPARE(repaintsOf([&] { m_link->SetHintFormFont(m_link->HintFormFont()); }), 0);

    QFont given(QStringLiteral("IPAPGothic"));
    given.setPixelSize(17);
    given.setBold(true);
    given.setItalic(true);
    QCOMPARE(repaintsOf([&] { m_link->SetHintFormFont(given); }), 1);
    QCOMPARE(m_link->HintFormFont(), given);

    // The caller's font stays the caller's.
    given.setPixelSize(30);
    QCOMPARE(m_link->HintFormFont().pixelSize(), 17);
    QVERIFY(m_link->HintFormFont().bold());
}

void TestURLLink::colourSwap_data()
{
    QTest::addColumn<QColor>("normal");
    QTest::addColumn<quint32>("linkColor");
    QTest::addColumn<QColor>("setWhileOver");
    QTest::addColumn<bool>("leaveByHiding");

    QTest::newRow("defaults") << QColor() << TColors::clRed << QColor() << false;
    QTest::newRow("white text, red link") << QColor(Qt::white) << TColors::clRed << QColor() << false;
    QTest::newRow("own link colour") << QColor(Qt::white) << rgbToTColor(0, 128, 0) << QColor() << false;
    QTest::newRow("system link colour") << QColor(Qt::darkCyan) << TColors::clWindowText << QColor() << false;
    QTest::newRow("colour set while over") << QColor(Qt::white) << TColors::clRed << QColor(Qt::yellow) << false;
    QTest::newRow("window hidden under the pointer") << QColor(Qt::white) << TColors::clRed << QColor() << true;
}

void TestURLLink::colourSwap()
{
    QFETCH(QColor, normal);
    QFETCH(quint32, linkColor);
    QFETCH(QColor, setWhileOver);
    QFETCH(bool, leaveByHiding);
    if (normal.isValid())
        m_link->setFontColor(normal);
    const QColor before = m_link->fontColor();
    m_link->SetLinkColor(linkColor);

    for (int visit = 0; visit < 2; ++visit) {
        pointAt(5, 5);
        QTRY_COMPARE(m_link->fontColor(), toQColor(linkColor));
        // Moving on over the link changes nothing.
        pointAt(40, 8);
        QCOMPARE(m_link->fontColor(), toQColor(linkColor));
        if (setWhileOver.isValid())
            m_link->setFontColor(setWhileOver);
        if (leaveByHiding) {
            QTRY_VERIFY(hintForm()->isVisible());
            m_host->hide();
            QCOMPARE(m_link->fontColor(), before);
            QVERIFY(!hintForm()->isVisible());
            m_host->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_host));
        }
        pointOutside();
        QTRY_COMPARE(m_link->fontColor(), before);
    }
}

void TestURLLink::hintBox_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("offsetY");
    QTest::addColumn<QPoint>("pointer");

    QTest::newRow("defaults") << "http://" << 12 << 15 << 15 << QPoint(5, 5);
    QTest::newRow("mail address, large font") << "info@example.com" << 24 << 15 << 15 << QPoint(100, 12);
    QTest::newRow("offsets above and left") << "http://www.example.com/" << 12 << -80 << -30 << QPoint(30, 3);
    QTest::newRow("small offsets") << "Hx" << 16 << 3 << -2 << QPoint(190, 19);
}

void TestURLLink::hintBox()
{
    QFETCH(QString, link);
    QFETCH(int, pixelSize);
    QFETCH(int, offsetX);
    QFETCH(int, offsetY);
    QFETCH(QPoint, pointer);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(pixelSize);
    m_link->SetHintFormFont(font);
    m_link->SetLink(link);
    m_link->SetHintOffsetX(offsetX);
    m_link->SetHintOffsetY(offsetY);
    m_link->SetHintFormColor(rgbToTColor(255, 255, 200));

    pointAt(pointer.x(), pointer.y());
    QWidget *box = hintForm();
    QVERIFY(box);
    QTRY_VERIFY(box->isVisible());

    const QFontMetrics metrics(font);
    const QPoint global = m_link->mapToGlobal(pointer);
    QCOMPARE(box->frameGeometry(), QRect(global + QPoint(offsetX, offsetY),
                                         QSize(metrics.horizontalAdvance(link) + 6, metrics.height() + 3)));
    QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(box->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(box->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QVERIFY(box->testAttribute(Qt::WA_ShowWithoutActivating));

    // Painted whenever it is exposed: the Link text from (2, 2) on the box colour.
    const QImage image = box->grab().toImage();
    const QColor background(255, 255, 200);
    int left = image.width(), top = image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != background) {
                left = qMin(left, x);
                top = qMin(top, y);
            }
        }
    }
    QVERIFY2(left >= 2 && left <= 2 + metrics.leftBearing(link.at(0)) + 2, qPrintable(QString::number(left)));
    QVERIFY2(top >= 2 && top < 2 + metrics.ascent(), qPrintable(QString::number(top)));
    QCOMPARE(image.pixelColor(0, 0), background);
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), background);

    pointOutside();
    QTRY_VERIFY(!box->isVisible());
}

void TestURLLink::hintBoxOncePerVisit()
{
    pointAt(5, 5);
    QWidget *box = hintForm();
    QTRY_VERIFY(box->isVisible());
    const QRect first = box->frameGeometry();
    QCOMPARE(first.topLeft(), m_link->mapToGlobal(QPoint(5, 5)) + QPoint(15, 15));

    // It stays where the first movement put it.
    pointAt(60, 12);
    pointAt(120, 2);
    QCoreApplication::processEvents();
    QCOMPARE(box->frameGeometry(), first);
    QVERIFY(box->isVisible());

    // The next visit shows it afresh at the new place.
    pointOutside();
    QTRY_VERIFY(!box->isVisible());
    pointAt(100, 10);
    QTRY_VERIFY(box->isVisible());
    QCOMPARE(box->frameGeometry().topLeft(), m_link->mapToGlobal(QPoint(100, 10)) + QPoint(15, 15));
}

void TestURLLink::hintBoxKeepsLookUntilNextShowing()
{
    m_link->SetLink(QStringLiteral("http://www.example.com/"));
    pointAt(5, 5);
    QWidget *box = hintForm();
    QTRY_VERIFY(box->isVisible());
    const QRect shown = box->frameGeometry();
    const QImage look = box->grab().toImage();

    m_link->SetHintFormColor(rgbToTColor(0, 0, 128));
    m_link->SetHintOffsetX(40);
    m_link->SetLink(QStringLiteral("x"));
    QCOMPARE(box->frameGeometry(), shown);
    QCOMPARE(box->grab().toImage(), look);

    pointOutside();
    QTRY_VERIFY(!box->isVisible());
    pointAt(5, 5);
    QTRY_VERIFY(box->isVisible());
    QCOMPARE(box->frameGeometry().topLeft(), m_link->mapToGlobal(QPoint(5, 5)) + QPoint(40, 15));
    QVERIFY(box->width() < shown.width());
    QCOMPARE(box->grab().toImage().pixelColor(0, 0), QColor(0, 0, 128));
}

void TestURLLink::hintBoxAndButtons_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("stays");
    QTest::newRow("left hides it") << Qt::LeftButton << false;
    QTest::newRow("right leaves it") << Qt::RightButton << true;
    QTest::newRow("middle leaves it") << Qt::MiddleButton << true;
}

void TestURLLink::hintBoxAndButtons()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, stays);
    pointAt(5, 5);
    QWidget *box = hintForm();
    QTRY_VERIFY(box->isVisible());

    QTest::mousePress(m_link, button, {}, QPoint(5, 5));
    QCOMPARE(box->isVisible(), stays);
    QTest::mouseRelease(m_link, button, {}, QPoint(5, 5));

    // After a left press the next movement brings it back, at the new place.
    pointAt(70, 9);
    QTRY_VERIFY(box->isVisible());
    const QPoint expected = m_link->mapToGlobal(stays ? QPoint(5, 5) : QPoint(70, 9)) + QPoint(15, 15);
    QCOMPARE(box->frameGeometry().topLeft(), expected);
}

void TestURLLink::noHintBoxWhenDisabled()
{
    m_link->SetEnableShowHint(false);
    m_link->SetLink(QStringLiteral("info@example.com"));
    m_link->SetURLtype(tpMAIL);
    pointAt(5, 5);
    pointAt(50, 5);
    QTRY_COMPARE(m_link->fontColor(), QColor(255, 0, 0));
    QTest::mousePress(m_link, Qt::LeftButton, {}, QPoint(50, 5));
    QTest::mouseRelease(m_link, Qt::LeftButton, {}, QPoint(50, 5));
    pointAt(80, 5);
    QCoreApplication::processEvents();
    QWidget *box = hintForm();
    QVERIFY(box);
    QVERIFY(!box->isVisible());
    QCOMPARE(m_opener->opened, QStringList{QStringLiteral("mailto:info@example.com")});
}

void TestURLLink::press_data()
{
    QTest::addColumn<TURLtype>("type");
    QTest::addColumn<QString>("link");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QStringList>("opened");

    const QString web = QStringLiteral("http://www.example.com/");
    const QString mail = QStringLiteral("info@example.com");
    QTest::newRow("web address unchanged") << tpURL << web << Qt::LeftButton << QStringList{web};
    QTest::newRow("mail address") << tpMAIL << mail << Qt::LeftButton << QStringList{"mailto:" + mail};
    QTest::newRow("empty mail address") << tpMAIL << QString() << Qt::LeftButton << QStringList{"mailto:"};
    QTest::newRow("empty address") << tpURL << QString() << Qt::LeftButton << QStringList{QString()};
    QTest::newRow("untouched control") << tpURL << QStringLiteral("http://") << Qt::LeftButton
                                       << QStringList{QStringLiteral("http://")};
    QTest::newRow("right button") << tpURL << web << Qt::RightButton << QStringList();
    QTest::newRow("middle button") << tpMAIL << mail << Qt::MiddleButton << QStringList();
    // Nothing here opens ftp: addresses; the error box says so.
    QTest::newRow("nothing to open it") << tpURL << QStringLiteral("ftp://ftp.example.com/") << Qt::LeftButton
                                        << QStringList();
}

void TestURLLink::press()
{
    QFETCH(TURLtype, type);
    QFETCH(QString, link);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QStringList, opened);
    m_link->SetURLtype(type);
    m_link->SetLink(link);

    MessageBoxCatcher catcher;
    const int repaints = repaintsOf([&] { QTest::mousePress(m_link, button, {}, QPoint(5, 5)); });
    QCOMPARE(m_opener->opened, opened);
    QCOMPARE(repaints, 1);
    const bool refused = button == Qt::LeftButton && opened.isEmpty();
    QCOMPARE(catcher.boxes.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(catcher.boxes.first().text, link + QStringLiteral(" を開けません."));
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("ヴィンドレ 051113"));
    }
    QTest::mouseRelease(m_link, button, {}, QPoint(5, 5));
    QCOMPARE(m_opener->opened, opened);
}

void TestURLLink::opensOnPressNotRelease()
{
    QTest::mousePress(m_link, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(m_opener->opened.size(), 1);
    QTest::mouseRelease(m_link, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(m_opener->opened.size(), 1);
}

void TestURLLink::doubleClickOpensTwice()
{
    m_link->SetLink(QStringLiteral("http://www.example.com/"));
    // Through the window, so the second press arrives as a double click, as from a real mouse.
    QTest::mouseDClick(m_host->windowHandle(), Qt::LeftButton, {}, m_link->mapTo(m_host, QPoint(5, 5)));
    QCOMPARE(m_opener->opened, QStringList(2, QStringLiteral("http://www.example.com/")));
}

void TestURLLink::caption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << "http://www.example.com/" << "http://www.example.com/";
    QTest::newRow("Japanese") << "ゼルビク製作所" << "ゼルビク製作所";
    QTest::newRow("double ampersand") << "R&&D" << "R&D";
    QTest::newRow("two doubled") << "a&&b&&c" << "a&b&c";
}

// Painted and sized exactly as a plain label showing the text that remains.
void TestURLLink::caption()
{
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    m_link->setText(caption);
    const std::unique_ptr<QLabel> label = plainTwin(shown);
    QCOMPARE(m_link->sizeHint(), label->sizeHint());
    m_link->adjustSize();
    label->resize(m_link->size());
    QCOMPARE(picture(m_link), picture(label.get()));
}

void TestURLLink::accessKeyUnderlinesNextCharacter()
{
    m_link->setText(QStringLiteral("&WiW"));
    const std::unique_ptr<QLabel> label = plainTwin(QStringLiteral("WiW"));
    QCOMPARE(m_link->sizeHint(), label->sizeHint());
    m_link->adjustSize();
    label->resize(m_link->size());

    // The two differ by a line under the first W alone.
    const QImage withKey = picture(m_link);
    const QImage without = picture(label.get());
    const int underW = m_link->fontMetrics().horizontalAdvance(QLatin1Char('W'));
    int left = withKey.width(), right = -1;
    for (int y = 0; y < withKey.height(); ++y) {
        for (int x = 0; x < withKey.width(); ++x) {
            if (withKey.pixelColor(x, y) != without.pixelColor(x, y)) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    }
    QVERIFY(right >= 0);
    QVERIFY2(left <= 1 && right >= underW - 2 && right <= underW + 1,
             qPrintable(QStringLiteral("%1..%2 for %3").arg(left).arg(right).arg(underW)));
}

QTEST_MAIN(TestURLLink)
#include "tst_urllink.moc"
