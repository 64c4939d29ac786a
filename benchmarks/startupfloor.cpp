// The floor that start-up is measured against: the plainest window of the picker's
// kind, with nothing the picker could leave out. A main window of the same size with
// a menu bar and a label, in Japanese, in the 12-pixel face the picker draws with,
// named as the picker names it (FLOOR_FACE); nothing of the picker's own.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QFont font(QStringLiteral(FLOOR_FACE));
    font.setPixelSize(12);
    QApplication::setFont(font);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("ヴィンドレ 床"));
    window.menuBar()->addMenu(QStringLiteral("選択色(&C)"))->addAction(QStringLiteral("終了(&X)"));
    window.menuBar()->addMenu(QStringLiteral("オプション(&O)"))->addAction(QStringLiteral("常に最前面表示(&T)"));
    window.menuBar()->addAction(QStringLiteral("バージョン情報(&V)"));
    window.setCentralWidget(new QLabel(QStringLiteral("#000000 クリップボード")));
    window.resize(346, 103 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
