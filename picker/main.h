#pragma once

#include "picker/recentcolors.h"
#include "settings/settingslocation.h"

#include <QMainWindow>
#include <QRgb>

#include <memory>

class ColorDialog;
class ScreenPicker;
class QCloseEvent;

namespace Ui {
class TVND_MAIN;
}

// What a close handler may decide about the window being closed.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// The picker window: three scroll bars hold the colour, everything else shows it.
class TVND_MAIN : public QMainWindow
{
    Q_OBJECT

public:
    explicit TVND_MAIN(QWidget *owner = nullptr);
    ~TVND_MAIN() override;

    // Event handlers; each takes the object that raised the event.
    void ColorChange(QObject *Sender);
    void B_SetClipboradClick(QObject *Sender);
    void B_ColorDialogClick(QObject *Sender);
    void MainMenuAbout(QObject *Sender);
    void M_ClipTransLowerClick(QObject *Sender);
    void M_AlwaysOnTopClick(QObject *Sender);
    void ColorReverse(QObject *Sender);
    void ColorRandom(QObject *Sender);
    void M_ExitClick(QObject *Sender);
    void M_B50uClick(QObject *Sender);
    void M_B50dClick(QObject *Sender);
    void FormClose(QObject *Sender, TCloseAction &Action);
    void M_ClipClick(QObject *Sender);
    void M_ClipBoredClick(QObject *Sender);
    void M_ScreenPickClick(QObject *Sender);
    void ScreenPicked(QObject *Sender);
    void M_ClipPasteClick(QObject *Sender);
    void M_RecentClick(QObject *Sender);
    void M_RecentClearClick(QObject *Sender);
    void RecentMenuShow(QObject *Sender);
    void CssMenuShow(QObject *Sender);
    void M_ContrastClick(QObject *Sender);

    ColorDialog *colorDialog() const { return m_colorDialog; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectHandlers();
    void ClipCaptionChange(const QString &code);
    void CssCaptionChange(QRgb color);
    void RecentAdd(QRgb color);
    void ClipTransfer(const QString &text);
    // As every command sets a colour: red, then green, then blue.
    void setComponents(QRgb color);

    QAction *clipItem(int format) const;
    QAction *popupClipItem(int format) const;

    std::unique_ptr<Ui::TVND_MAIN> ui;
    const SettingsLocation m_settingsLocation;
    ColorDialog *m_colorDialog = nullptr;
    // Made at the first pick, so that starting the program builds none of it.
    ScreenPicker *m_screenPicker = nullptr;
    // The colours used before; the menu's items follow at its next showing.
    RecentColors m_recent;
    bool m_recentStale = true;
    // The newer CSS notations' captions no longer show the colour.
    bool m_cssStale = true;
    // Where the colour code's box starts when the code fits there.
    int m_codeLeft = 0;
    char ColorCode[128] = {};
};

extern TVND_MAIN *VND_MAIN;
