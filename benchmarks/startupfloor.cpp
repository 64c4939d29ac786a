// The floor that start-up is measured against: what any Qt Widgets window of the
// picker's kind costs before it is on screen. A main window with a menu bar and a
// few Japanese captions in the interface font, and nothing of the picker's own.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("ヴィンドレ 床"));
    QMenu *colour = window.menuBar()->addMenu(QStringLiteral("選択色(&C)"));
    colour->addAction(QStringLiteral("終了(&X)"));
    window.menuBar()->addMenu(QStringLiteral("オプション(&O)"))->addAction(QStringLiteral("常に手前に表示(&T)"));
    window.menuBar()->addMenu(QStringLiteral("バージョン情報(&A)"));
    auto *code = new QLabel(QStringLiteral("#000000 クリップボード"));
    window.setCentralWidget(code);
    window.resize(346, 103 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
