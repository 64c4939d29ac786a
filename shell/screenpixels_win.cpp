#include "shell/screenpixels.h"

#include <QGuiApplication>

#include <windows.h>

// The program is aware of each monitor's own scale (its manifest says so), so
// Windows speaks to it in screen pixels: the pointer, window places and what the
// screen shows are all in the same pixels of the virtual desktop.

namespace {

bool onWindows()
{
    return QGuiApplication::platformName() == QLatin1String("windows");
}

// A device context of the whole virtual desktop, released however the reading ends.
class ScreenDc
{
public:
    ScreenDc()
        : m_dc(GetDC(nullptr))
    {
    }
    ~ScreenDc()
    {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenDc(const ScreenDc &) = delete;
    ScreenDc &operator=(const ScreenDc &) = delete;
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

} // namespace

namespace ScreenPixels {

bool available()
{
    return onWindows();
}

std::optional<QPoint> pointer()
{
    POINT point = {};
    if (!onWindows() || !GetCursorPos(&point))
        return std::nullopt;
    return QPoint(point.x, point.y);
}

void movePointer(QPoint position)
{
    if (onWindows())
        SetCursorPos(position.x(), position.y());
}

QImage read(const QRect &rectangle)
{
    if (!onWindows() || rectangle.isEmpty())
        return QImage();
    const ScreenDc screen;
    if (!screen.get())
        return QImage();
    const QRect desktop(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    QImage image(rectangle.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRect inside = rectangle & desktop;
    if (inside.isEmpty())
        return image;

    // Top-down 32-bit pixels, as a QImage of format RGB32 holds them.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = inside.width();
    info.bmiHeader.biHeight = -inside.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = CreateCompatibleDC(screen.get());
    bool copied = false;
    if (bitmap && memory && bits) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        // CAPTUREBLT: layered windows too, as the user sees them.
        copied = BitBlt(memory, 0, 0, inside.width(), inside.height(), screen.get(), inside.x(), inside.y(),
                        SRCCOPY | CAPTUREBLT);
        GdiFlush();
        if (copied) {
            const QPoint offset = inside.topLeft() - rectangle.topLeft();
            const auto *source = static_cast<const uchar *>(bits);
            for (int y = 0; y < inside.height(); ++y) {
                const auto *from = reinterpret_cast<const QRgb *>(source + qsizetype(y) * inside.width() * 4);
                auto *to = reinterpret_cast<QRgb *>(image.scanLine(y + offset.y())) + offset.x();
                for (int x = 0; x < inside.width(); ++x)
                    to[x] = 0xFF000000u | from[x];
            }
        }
        SelectObject(memory, previous);
    }
    if (memory)
        DeleteDC(memory);
    if (bitmap)
        DeleteObject(bitmap);
    return copied ? image : QImage();
}

}
