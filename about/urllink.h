#pragma once

#include "shell/tcolor.h"

#include <QColor>
#include <QFont>
#include <QLabel>

#include <memory>

namespace Urllink {
Q_NAMESPACE

// What Link holds: an address opened as it stands, or a bare mail address.
enum TURLtype : quint8 { tpURL, tpMAIL };
Q_ENUM_NS(TURLtype)

}

using Urllink::TURLtype;
using Urllink::tpMAIL;
using Urllink::tpURL;

// A label that acts as a hyperlink: its text takes LinkColor under the pointer,
// a small box beside the pointer can show the target, and a press of the left
// button hands the target to the desktop's opener. The caption keeps the label
// access-key convention: "&" underlines the next character, "&&" shows one "&".
class TURLLink : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(Urllink::TURLtype URLType READ URLType WRITE SetURLtype)
    Q_PROPERTY(QString Link READ Link WRITE SetLink)
    Q_PROPERTY(QFont HintFormFont READ HintFormFont WRITE SetHintFormFont)
    Q_PROPERTY(bool EnableShowHint READ EnableShowHint WRITE SetEnableShowHint)
    Q_PROPERTY(quint32 HintFormColor READ HintFormColor WRITE SetHintFormColor)
    Q_PROPERTY(int HintOffsetX READ HintOffsetX WRITE SetHintOffsetX)
    Q_PROPERTY(int HintOffsetY READ HintOffsetY WRITE SetHintOffsetY)
    Q_PROPERTY(quint32 LinkColor READ LinkColor WRITE SetLinkColor)

public:
    explicit TURLLink(QWidget *parent = nullptr);
    ~TURLLink() override;

    TURLtype URLType() const { return m_urlType; }
    void SetURLtype(TURLtype value);
    QString Link() const { return m_link; }
    void SetLink(const QString &value);
    // Copies the font's attributes; the caller keeps its font.
    const QFont &HintFormFont() const { return m_hintFormFont; }
    void SetHintFormFont(const QFont &value);
    bool EnableShowHint() const { return m_enableShowHint; }
    void SetEnableShowHint(bool value);
    TColor HintFormColor() const { return m_hintFormColor; }
    void SetHintFormColor(TColor value);
    int HintOffsetX() const { return m_hintOffsetX; }
    void SetHintOffsetX(int value);
    int HintOffsetY() const { return m_hintOffsetY; }
    void SetHintOffsetY(int value);
    TColor LinkColor() const { return m_linkColor; }
    void SetLinkColor(TColor value);

    // The text colour: the label's foreground in its palette.
    QColor fontColor() const;
    void setFontColor(const QColor &color);

    // What a press of the left button hands to the opener.
    QString target() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void CMMouseEnter();
    void CMMouseLeave();
    void MouseMove();
    void MouseDown(QMouseEvent *event);

    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Every property of the link stores a new value only when it differs, and repaints then.
    template <typename T>
    void store(T &field, const T &value);
    void hideHint();
    int textFlags() const;

    std::unique_ptr<QWidget> HintForm;
    bool HintShowing = false;
    // Between the pointer's entering and its leaving, which hiding the link also ends.
    bool m_pointerOver = false;
    TURLtype m_urlType = tpURL;
    QString m_link;
    QColor NormalFontColor;
    TColor m_linkColor = TColors::clBlack;
    TColor m_hintFormColor = TColors::clBlack;
    int m_hintOffsetX = 0;
    int m_hintOffsetY = 0;
    bool m_enableShowHint = false;
    QFont m_hintFormFont;
    // What the box on screen shows; set at each showing, so later changes wait for the next one.
    QString m_hintText;
};
