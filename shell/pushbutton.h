#pragma once

#include <QPushButton>

// A push button that the Enter keys press while it has the focus, as Space does,
// also outside a dialog.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
