#pragma once
// The link labels of the Help and About windows, and the README they open.
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace sorvane::ui {

// A caption shown as a link that opens its target when it is clicked, or
// when it has the focus and Enter or Space is pressed.  It is one tab stop
// and shows a focus frame while it has the focus.  Opening goes through the
// opener given at construction; without one, QDesktopServices::openUrl.  A
// target that cannot be opened is reported through openFailed.
class HyperLink : public QLabel {
    Q_OBJECT
public:
    using Opener = std::function<bool(const QUrl&)>;

    HyperLink(const QString& caption, const QUrl& target, QWidget* parent = nullptr, Opener opener = {});

    QString caption() const { return text(); }
    QUrl target() const { return m_target; }

    // Opens the target; returns whether it was handed to a program.
    bool activate();

    // Narrows the link to its caption and the focus frame around it, so that
    // only the caption takes clicks and shows the hand cursor.
    void fitToCaption();

signals:
    // Says, in a sentence for the user, why the target could not be opened.
    void openFailed(const QString& message);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl m_target;
    Opener m_opener;
    bool m_pressed = false;
};

// Where the program looks for its README, relative to the folder the
// program itself is in, and the build it comes from.
struct ReadmePlaces {
    QString fromProgramFolder; // relative path of the installed README
    QString installed;         // the README in the configured install prefix
    QString buildFolder;       // the build folder (empty in an installed build)
    QString sourceReadme;      // the README of the source tree
};

// The places this build of the program was configured with.
ReadmePlaces readmePlaces();

// The README for a program in programFolder: the copy installed beside the
// program, else the one in the configured install prefix; the source tree's
// only when the program runs from its build folder.  When none exists,
// the place an installed copy would be, so that opening it says it is
// missing.
QString findReadme(const QString& programFolder, const ReadmePlaces& places);

// The README of the running program, looked up now.
QUrl readmeUrl();

// The README's section on reporting problems.
QUrl problemReportUrl();

} // namespace sorvane::ui
