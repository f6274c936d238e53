#include "VirtualPicture.h"

#include <QDateTime>
#include <QFont>
#include <QPainter>

#include <cmath>

namespace {

const QStringList kTextLines = {
    QStringLiteral("Chapter 3: Light and Shadow"),
    QStringLiteral("When light meets an object it cannot pass through, a shadow forms behind it."),
    QStringLiteral("The size of the shadow depends on the distance between the light and the object."),
    QStringLiteral("Try it: hold a pencil under the lamp and move it slowly upward."),
    QStringLiteral("1. Measure the shadow at 10 cm, 20 cm and 30 cm."),
    QStringLiteral("2. Write the lengths in the table below."),
    QStringLiteral("3. What do you notice about the edges of the shadow?"),
};

} // namespace

VirtualPicture::VirtualPicture(const QSize &size, const QString &cameraName)
    : m_size(size)
    , m_cameraName(cameraName)
    , m_page(drawPage())
{
}

QImage VirtualPicture::drawPage() const
{
    QImage image(m_size, QImage::Format_RGB32);
    const double unit = m_size.height() / 1080.0;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(92, 74, 58));
    const QRectF page(m_size.width() * 0.18, m_size.height() * 0.05, m_size.width() * 0.64, m_size.height() * 0.9);
    p.fillRect(page.translated(8 * unit, 10 * unit), QColor(50, 40, 30));
    p.fillRect(page, QColor(250, 248, 240));

    QFont title(QStringLiteral("Calibri"));
    title.setPixelSize(int(46 * unit));
    title.setBold(true);
    QFont body(QStringLiteral("Calibri"));
    body.setPixelSize(int(28 * unit));
    const double margin = 60 * unit;
    double y = page.top() + 90 * unit;
    p.setPen(QColor(30, 30, 40));
    for (int i = 0; i < kTextLines.size(); ++i) {
        p.setFont(i == 0 ? title : body);
        p.drawText(QPointF(page.left() + margin, y), kTextLines[i]);
        y += (i == 0 ? 80 : 52) * unit;
    }

    // A table grid to write into.
    const QRectF grid(page.left() + margin, y, page.width() - 2 * margin, 260 * unit);
    p.setPen(QPen(QColor(70, 110, 170), 2 * unit));
    for (int row = 0; row <= 4; ++row)
        p.drawLine(QPointF(grid.left(), grid.top() + row * grid.height() / 4),
                   QPointF(grid.right(), grid.top() + row * grid.height() / 4));
    for (int column = 0; column <= 3; ++column)
        p.drawLine(QPointF(grid.left() + column * grid.width() / 3, grid.top()),
                   QPointF(grid.left() + column * grid.width() / 3, grid.bottom()));

    // A ruler along the left edge of the page, in centimetres and millimetres.
    const QRectF ruler(page.left() - 110 * unit, page.top() + 40 * unit, 80 * unit, page.height() - 80 * unit);
    p.fillRect(ruler, QColor(236, 200, 90));
    p.setPen(QPen(Qt::black, 1.5 * unit));
    p.setFont(body);
    const double millimetre = 3.6 * unit;
    for (int mm = 0; mm * millimetre < ruler.height(); ++mm) {
        const double tick = mm % 10 == 0 ? 34 : (mm % 5 == 0 ? 22 : 12);
        const double ty = ruler.top() + mm * millimetre;
        p.drawLine(QPointF(ruler.right() - tick * unit, ty), QPointF(ruler.right(), ty));
        if (mm % 10 == 0 && mm > 0)
            p.drawText(QPointF(ruler.left() + 6 * unit, ty + 9 * unit), QString::number(mm / 10));
    }
    p.setFont(body);
    p.setPen(QColor(240, 230, 210));
    p.drawText(QPointF(page.right() + 30 * unit, page.top() + 30 * unit), m_cameraName);
    return image;
}

QImage VirtualPicture::render(qint64 frameNumber, int framesPerSecond) const
{
    QImage image = m_page.copy();
    const double unit = m_size.height() / 1080.0;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A pointer that circles over the page once every four seconds.
    const double angle = 2 * M_PI * double(frameNumber) / (4.0 * qMax(1, framesPerSecond));
    const QPointF centre(m_size.width() * (0.5 + 0.22 * std::cos(angle)),
                         m_size.height() * (0.6 + 0.25 * std::sin(angle)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40, 200));
    p.drawEllipse(centre, 22 * unit, 22 * unit);

    QFont font(QStringLiteral("Calibri"));
    font.setPixelSize(int(36 * unit));
    font.setBold(true);
    p.setFont(font);
    const QRectF label(m_size.width() * 0.83, m_size.height() * 0.85, m_size.width() * 0.16, 110 * unit);
    p.fillRect(label, QColor(0, 0, 0, 160));
    p.setPen(Qt::white);
    p.drawText(
        label, Qt::AlignCenter,
        QStringLiteral("%1\n#%2").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))).arg(frameNumber));
    return image;
}
