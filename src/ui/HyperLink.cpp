#include "ui/HyperLink.h"

#include <QDesktopServices>
#include <QFontMetrics>

#ifndef SORVANE_README_PATH
#error "SORVANE_README_PATH must name the project's README.md"
#endif

namespace sorvane::ui {

HyperLink::HyperLink(const QString& caption, const QUrl& target, QWidget* parent, Opener opener)
    : QLabel(parent), m_caption(caption), m_target(target), m_opener(std::move(opener)) {
    if (!m_opener)
        m_opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    setTextFormat(Qt::RichText);
    // The href only makes the caption a link; activate() opens m_target.
    setText(QStringLiteral("<a href=\"%1\">%2</a>")
                .arg(m_target.toString(QUrl::FullyEncoded).toHtmlEscaped(), m_caption.toHtmlEscaped()));
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setOpenExternalLinks(false);
    setToolTip(m_target.toDisplayString());
    connect(this, &QLabel::linkActivated, this, [this](const QString&) { activate(); });
}

bool HyperLink::activate() {
    return m_opener(m_target);
}

QUrl readmeUrl() {
    return QUrl::fromLocalFile(QStringLiteral(SORVANE_README_PATH));
}

QUrl problemReportUrl() {
    QUrl url = readmeUrl();
    url.setFragment(QStringLiteral("reporting-problems"));
    return url;
}

void shrinkFontToFit(QLabel* label, const QString& shownText, double minimumPointSize) {
    QFont font = label->font();
    if (font.pointSizeF() <= 0)
        return; // a pixel-sized font is left as it is
    const QSize room = label->contentsRect().size();
    while (font.pointSizeF() - 0.25 >= minimumPointSize) {
        const QRect needed = QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), room),
                                                             Qt::AlignLeft | Qt::AlignTop, shownText);
        if (needed.width() <= room.width() && needed.height() <= room.height())
            break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    label->setFont(font);
}

} // namespace sorvane::ui
