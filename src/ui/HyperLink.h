#pragma once
// The link labels of the Help and About windows, and the targets they open.
#include <QLabel>
#include <QString>
#include <QUrl>
#include <functional>

namespace sorvane::ui {

// A label that shows its caption as a link and opens its target when the
// link is clicked or activate() is called.  Opening goes through the opener
// given at construction; without one, QDesktopServices::openUrl.
class HyperLink : public QLabel {
    Q_OBJECT
public:
    using Opener = std::function<bool(const QUrl&)>;

    HyperLink(const QString& caption, const QUrl& target, QWidget* parent = nullptr, Opener opener = {});

    QString caption() const { return m_caption; }
    QUrl target() const { return m_target; }

    // Opens the target; returns whether the desktop took it.
    bool activate();

private:
    QString m_caption;
    QUrl m_target;
    Opener m_opener;
};

// The program's README as a local file.
QUrl readmeUrl();

// The README's section on reporting problems.
QUrl problemReportUrl();

// Makes the label's font smaller, a quarter point at a time down to
// minimumPointSize, until shownText fits the label's current size without
// wrapping.
void shrinkFontToFit(QLabel* label, const QString& shownText, double minimumPointSize = 6.0);

} // namespace sorvane::ui
