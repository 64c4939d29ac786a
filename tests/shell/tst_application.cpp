#include "shell/application.h"
#include "shell/exception.h"
#include "tests/testsupport.h"

#include <QLabel>
#include <QTest>
#include <QWidget>

// A window whose construction can be made to fail half-way, after it has built a
// child, as a window does when something it needs is missing.
class ProbeForm : public QWidget
{
public:
    explicit ProbeForm(QWidget *owner);

    static ProbeForm *instance;
    static bool fail;
    static bool sawItselfInRef;
};

ProbeForm *ProbeForm::instance = nullptr;
bool ProbeForm::fail = false;
bool ProbeForm::sawItselfInRef = false;

ProbeForm::ProbeForm(QWidget *owner)
    : QWidget(owner)
{
    sawItselfInRef = instance == this;
    auto *label = new QLabel(QStringLiteral("half built"), this);
    label->show();
    show();
    if (fail)
        throw Exception(QStringLiteral("cannot build the window"));
}

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void cleanup();
    void referenceValidDuringConstruction();
    void failedConstructionLeavesNoWindow();
    void titleAndFont();
};

void TestApplication::cleanup()
{
    Application::destroyForm(ProbeForm::instance);
    ProbeForm::fail = false;
}

void TestApplication::referenceValidDuringConstruction()
{
    Application::createForm(ProbeForm::instance);
    QVERIFY(ProbeForm::instance);
    QVERIFY(ProbeForm::sawItselfInRef);
    QVERIFY(ProbeForm::instance->isVisible());

    Application::destroyForm(ProbeForm::instance);
    QCOMPARE(ProbeForm::instance, nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestApplication::failedConstructionLeavesNoWindow()
{
    ProbeForm::fail = true;
    QString message;
    try {
        Application::createForm(ProbeForm::instance);
    } catch (const Exception &e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("cannot build the window"));
    QCOMPARE(ProbeForm::instance, nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestApplication::titleAndFont()
{
    QCOMPARE(Application::title(), QStringLiteral("ヴィンドレ 051113"));
    const QFont font = QApplication::font();
    QCOMPARE(font.pixelSize(), 12);
#ifdef Q_OS_WIN
    // Windows' own face, under its English name where Windows lists it so.
    QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QVERIFY(QFont::substitutes(font.family()).contains(QStringLiteral("MS PGothic"), Qt::CaseInsensitive));
#else
    // Named as installed, so that start-up looks for no family that is not there.
    QCOMPARE(font.family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
    // The family the windows' descriptions name is not on Linux desktops; Qt draws it
    // with the same face.
    QVERIFY(QFont::substitutes(QStringLiteral("ＭＳ Ｐゴシック")).contains(QStringLiteral("IPAPGothic"), Qt::CaseInsensitive));
    QCOMPARE(QFontInfo(QFont(QStringLiteral("ＭＳ Ｐゴシック"))).family(), QStringLiteral("IPAPGothic"));
#endif
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
