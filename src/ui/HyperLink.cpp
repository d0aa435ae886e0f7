#include "ui/HyperLink.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

#if !defined(SORVANE_README_FROM_BINDIR) || !defined(SORVANE_README_INSTALLED) ||                            \
    !defined(SORVANE_BUILD_FOLDER) || !defined(SORVANE_SOURCE_README)
#error "the README's places are given by the build (cmake/Install.cmake)"
#endif

namespace sorvane::ui {

HyperLink::HyperLink(const QString& caption, const QUrl& target, QWidget* parent, Opener opener)
    : QLabel(caption, parent), m_target(target), m_opener(std::move(opener)) {
    if (!m_opener)
        m_opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setForegroundRole(QPalette::Link);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    // Room for the focus frame: a sixth of the line height on each side.
    const int frame = std::max(2, fontMetrics().height() / 6);
    setContentsMargins(frame, 0, frame, 0);
    setToolTip(m_target.isLocalFile() ? m_target.toLocalFile() : m_target.toDisplayString());
}

bool HyperLink::activate() {
    if (!m_target.isLocalFile()) {
        if (m_opener(m_target))
            return true;
        emit openFailed(
            tr("Cannot open %1: no program to open it was found.").arg(m_target.toDisplayString()));
        return false;
    }
    const QString path = m_target.toLocalFile();
    if (!QFileInfo(path).isFile()) {
        emit openFailed(tr("Cannot open %1: the file is missing.").arg(path));
        return false;
    }
    // Desktop openers take a local file as a path: a section mark behind it
    // would make them look for a file of that name.
    if (m_opener(m_target.adjusted(QUrl::RemoveFragment)))
        return true;
    emit openFailed(tr("Cannot open %1: no program to open it was found.").arg(path));
    return false;
}

void HyperLink::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        activate();
    else
        QLabel::mouseReleaseEvent(event);
}

void HyperLink::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        activate();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void HyperLink::fitToCaption() {
    const QMargins margins = contentsMargins();
    const int needed =
        fontMetrics().boundingRect(QRect(0, 0, width(), height()), int(alignment()), text()).width() +
        margins.left() + margins.right();
    resize(std::min(width(), needed), height());
}

// The caption as a label draws it, and around it, while the link has the
// focus, the style's focus frame.
void HyperLink::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    const QRect shown = fontMetrics().boundingRect(contentsRect(), static_cast<int>(alignment()), text());
    const int frame = contentsMargins().left();
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = shown.adjusted(-frame, 0, frame, 0).intersected(rect());
    option.backgroundColor = palette().color(backgroundRole());
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

ReadmePlaces readmePlaces() {
    return {QStringLiteral(SORVANE_README_FROM_BINDIR), QStringLiteral(SORVANE_README_INSTALLED),
            QStringLiteral(SORVANE_BUILD_FOLDER), QStringLiteral(SORVANE_SOURCE_README)};
}

namespace {

bool isFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool isInside(const QString& folder, const QString& outer) {
    const QString inner = QFileInfo(folder).canonicalFilePath();
    const QString top = QFileInfo(outer).canonicalFilePath();
    return !inner.isEmpty() && !top.isEmpty() && (inner == top || inner.startsWith(top + QLatin1Char('/')));
}

} // namespace

QString findReadme(const QString& programFolder, const ReadmePlaces& places) {
    QString beside = QDir::cleanPath(QDir(programFolder).absoluteFilePath(places.fromProgramFolder));
    if (isFile(beside))
        return beside;
    if (!places.buildFolder.isEmpty() && isInside(programFolder, places.buildFolder) &&
        isFile(places.sourceReadme))
        return places.sourceReadme;
    if (isFile(places.installed))
        return places.installed;
    return beside;
}

QUrl readmeUrl() {
    return QUrl::fromLocalFile(findReadme(QCoreApplication::applicationDirPath(), readmePlaces()));
}

QUrl problemReportUrl() {
    QUrl url = readmeUrl();
    url.setFragment(QStringLiteral("reporting-problems"));
    return url;
}

} // namespace sorvane::ui
