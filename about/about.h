#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TVND_ABOUT;
}

// The version window: title, maker, two links and a banner on black.
class TVND_ABOUT : public QDialog
{
    Q_OBJECT

public:
    explicit TVND_ABOUT(QWidget *owner = nullptr);
    ~TVND_ABOUT() override;

    // Makes the native window and what only showing needs; the About command calls it
    // before each showing, and all but the first call do nothing.
    void prepare();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::TVND_ABOUT> ui;
};

extern TVND_ABOUT *VND_ABOUT;
