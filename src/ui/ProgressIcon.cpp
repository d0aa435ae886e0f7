#include "ui/ProgressIcon.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPointF>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sorvane::ui {

namespace {

// The face of the program's icon (its viewBox is 128 by 128): the centre of
// the dial, the radius of the interval and of the hand, and the case band
// between the face (43) and the rim (50) that carries the ring.
constexpr double kCx = 64;
constexpr double kCy = 72;
constexpr double kIntervalRadius = 39;
constexpr double kHandLength = 30;
constexpr double kRingRadius = 46.5;
constexpr double kRingWidth = 7;
const QString kRingColour = QStringLiteral("#f2a33a"); // the interval's colour

QString number(double value) {
    return QString::number(value, 'f', 2);
}

// The point at `radius` from the centre, `turns` of a full turn clockwise
// from twelve o'clock.
QPointF pointOf(double radius, double turns) {
    const double angle = turns * 2 * std::numbers::pi;
    return {kCx + radius * std::sin(angle), kCy - radius * std::cos(angle)};
}

// The same point as path data: "x y".
QString pointAt(double radius, double turns) {
    const QPointF point = pointOf(radius, turns);
    return number(point.x()) + QLatin1Char(' ') + number(point.y());
}

// An arc of `turns` (above 0) from twelve o'clock, clockwise, as path data
// going on from its start point; a whole turn is drawn as two halves.
QString arcTo(double radius, double turns) {
    const QString r = number(radius) + QLatin1Char(' ') + number(radius);
    if (turns >= 1)
        return QStringLiteral("A%1 0 1 1 %2 A%1 0 1 1 %3").arg(r, pointAt(radius, 0.5), pointAt(radius, 0));
    return QStringLiteral("A%1 0 %2 1 %3")
        .arg(r, turns > 0.5 ? QStringLiteral("1") : QStringLiteral("0"), pointAt(radius, turns));
}

} // namespace

ProgressIcon::ProgressIcon() {
    QFile file(QStringLiteral(":/icons/org.sorvane.Timer.svg"));
    if (file.open(QIODevice::ReadOnly))
        m_svg = file.readAll();
}

int ProgressIcon::stepOf(double fraction) {
    return std::clamp(static_cast<int>(std::lround(fraction * kSteps)), 0, kSteps);
}

// The program's icon, element by element, with the interval and the hand
// set to the step and the ring laid over the case.  Everything else is
// drawn as the icon has it.
QByteArray ProgressIcon::svgFor(int step) const {
    const double turns = static_cast<double>(std::clamp(step, 0, kSteps)) / kSteps;
    QByteArray out;
    QXmlStreamReader in(m_svg);
    in.setNamespaceProcessing(false);
    QXmlStreamWriter writer(&out);
    QStringList open; // ids of the elements open at this point
    int skipping = 0; // depth inside an element left out
    while (!in.atEnd()) {
        in.readNext();
        if (skipping > 0) {
            skipping += in.isStartElement() ? 1 : in.isEndElement() ? -1 : 0;
            continue;
        }
        if (in.isEndElement()) {
            writer.writeCurrentToken(in);
            // The ring goes over the case band, right after the face.
            if (!open.isEmpty() && open.takeLast() == QLatin1String("face") && step > 0) {
                writer.writeEmptyElement(QStringLiteral("path"));
                writer.writeAttribute(QStringLiteral("d"),
                                      QStringLiteral("M%1 ").arg(pointAt(kRingRadius, 0)) +
                                          arcTo(kRingRadius, turns));
                writer.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
                writer.writeAttribute(QStringLiteral("stroke"), kRingColour);
                writer.writeAttribute(QStringLiteral("stroke-width"), number(kRingWidth));
            }
            continue;
        }
        if (!in.isStartElement()) {
            writer.writeCurrentToken(in);
            continue;
        }
        const QXmlStreamAttributes attributes = in.attributes();
        const QString id = attributes.value(QLatin1String("id")).toString();
        // Attributes other than `replaced` are kept as they are.
        auto startElement = [&](std::initializer_list<QLatin1String> replaced) {
            writer.writeStartElement(in.qualifiedName().toString());
            for (const QXmlStreamAttribute& a : attributes)
                if (std::find(replaced.begin(), replaced.end(), a.qualifiedName()) == replaced.end())
                    writer.writeAttribute(a);
        };
        if (id == QLatin1String("interval") && step <= 0) {
            skipping = 1; // nothing of the cycle has gone yet
            continue;
        }
        open.append(id);
        if (id == QLatin1String("interval")) {
            startElement({QLatin1String("d")});
            const QString from = turns >= 1 ? QStringLiteral("M%1 ").arg(pointAt(kIntervalRadius, 0))
                                            : QStringLiteral("M%1 %2 L%3 ")
                                                  .arg(number(kCx), number(kCy), pointAt(kIntervalRadius, 0));
            writer.writeAttribute(QStringLiteral("d"),
                                  from + arcTo(kIntervalRadius, turns) + QStringLiteral(" Z"));
        } else if (id == QLatin1String("hand")) {
            startElement({QLatin1String("x2"), QLatin1String("y2")});
            const QPointF tip = pointOf(kHandLength, turns);
            writer.writeAttribute(QStringLiteral("x2"), number(tip.x()));
            writer.writeAttribute(QStringLiteral("y2"), number(tip.y()));
        } else {
            writer.writeCurrentToken(in);
        }
    }
    return out;
}

QIcon ProgressIcon::icon(int step) const {
    QIcon icon;
    QSvgRenderer renderer(svgFor(step));
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace sorvane::ui
