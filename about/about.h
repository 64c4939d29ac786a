#pragma once

#include <QDialog>

// The version window: title, maker, two links and a banner on black.
class TVND_ABOUT : public QDialog
{
    Q_OBJECT

public:
    explicit TVND_ABOUT(QWidget *owner = nullptr);
    ~TVND_ABOUT() override;
};

extern TVND_ABOUT *VND_ABOUT;
