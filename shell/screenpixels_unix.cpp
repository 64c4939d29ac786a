#include "shell/screenpixels.h"

#include "shell/xcbreply.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace {

xcb_connection_t *connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

const xcb_screen_t *rootScreen(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

// How the root window's pixels are laid out in an image the server sends.
struct PixelLayout
{
    int bitsPerPixel = 0;
    int scanlinePad = 0;
    bool mostSignificantFirst = false;
    uint32_t masks[3] = {};
};

std::optional<PixelLayout> layoutOf(xcb_connection_t *c, const xcb_screen_t *screen)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    PixelLayout layout;
    layout.mostSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats)) {
        if (formats.data->depth == screen->root_depth) {
            layout.bitsPerPixel = formats.data->bits_per_pixel;
            layout.scanlinePad = formats.data->scanline_pad;
        }
    }
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen->root_visual) {
                layout.masks[0] = visuals.data->red_mask;
                layout.masks[1] = visuals.data->green_mask;
                layout.masks[2] = visuals.data->blue_mask;
            }
        }
    }
    // True colour in whole bytes per pixel, as every X server of this century offers.
    const int bits = layout.bitsPerPixel;
    if ((bits != 16 && bits != 24 && bits != 32) || !layout.masks[0] || !layout.masks[1] || !layout.masks[2])
        return std::nullopt;
    return layout;
}

// One component from its bits under the mask, spread over 0..255.
int component(uint32_t pixel, uint32_t mask)
{
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const uint32_t maximum = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / maximum);
}

} // namespace

namespace ScreenPixels {

bool available()
{
    return connection() != nullptr;
}

std::optional<QPoint> pointer()
{
    xcb_connection_t *c = connection();
    if (!c)
        return std::nullopt;
    const XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, rootScreen(c)->root), nullptr));
    if (!reply)
        return std::nullopt;
    return QPoint(reply->root_x, reply->root_y);
}

void movePointer(QPoint position)
{
    xcb_connection_t *c = connection();
    if (!c)
        return;
    xcb_warp_pointer(c, XCB_NONE, rootScreen(c)->root, 0, 0, 0, 0, int16_t(position.x()), int16_t(position.y()));
    xcb_flush(c);
}

QImage read(const QRect &rectangle)
{
    xcb_connection_t *c = connection();
    if (!c || rectangle.isEmpty())
        return QImage();
    const xcb_screen_t *screen = rootScreen(c);
    static const std::optional<PixelLayout> layout = layoutOf(c, screen);
    if (!layout)
        return QImage();
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, screen->root), nullptr));
    if (!geometry)
        return QImage();
    // The server reads only inside the root window.
    const QRect inside = rectangle & QRect(0, 0, geometry->width, geometry->height);
    QImage image(rectangle.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (inside.isEmpty())
        return image;
    const XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(inside.x()), int16_t(inside.y()),
                      uint16_t(inside.width()), uint16_t(inside.height()), ~0u),
        nullptr));
    if (!reply)
        return QImage();
    const int bytesPerPixel = layout->bitsPerPixel / 8;
    const int pad = layout->scanlinePad;
    const int stride = (inside.width() * layout->bitsPerPixel + pad - 1) / pad * pad / 8;
    if (xcb_get_image_data_length(reply.get()) < stride * inside.height())
        return QImage();
    const uint8_t *data = xcb_get_image_data(reply.get());
    const QPoint offset = inside.topLeft() - rectangle.topLeft();
    for (int y = 0; y < inside.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y + offset.y())) + offset.x();
        const uint8_t *bytes = data + y * stride;
        for (int x = 0; x < inside.width(); ++x, bytes += bytesPerPixel) {
            uint32_t pixel = 0;
            for (int i = 0; i < bytesPerPixel; ++i) {
                const int significance = layout->mostSignificantFirst ? bytesPerPixel - 1 - i : i;
                pixel |= uint32_t(bytes[i]) << (8 * significance);
            }
            line[x] = qRgb(component(pixel, layout->masks[0]), component(pixel, layout->masks[1]),
                           component(pixel, layout->masks[2]));
        }
    }
    return image;
}

}
