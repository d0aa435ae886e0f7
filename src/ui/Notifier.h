#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMessageBox;
class QWidget;

namespace sorvane::ui {

// Tells the user about something that could not be done, without blocking:
// a small window that does not take the focus and does not stop a running
// cycle.  Messages that arrive while it is open are added to it.
//
// The notice belongs to the owner, the main window: it stays with it and
// above it.  A notifier can be made before the owner exists; every message
// is written to the standard error at once, and the notice waits until the
// owner has been shown.  While the owner is hidden (the About window stands
// in for it) the notice belongs to the window that is open instead.
class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(QWidget* owner = nullptr);

    // Sets the owner; messages kept until now are shown once it is shown.
    void setOwner(QWidget* owner);
    void notify(const QString& message);
    // The notice on screen, if any.
    QMessageBox* notice() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* noticeParent() const;
    void show(const QString& message);
    void showWaiting();

    QPointer<QWidget> m_owner;
    QPointer<QMessageBox> m_box;
    QString m_last; // the message shown last, not repeated while it is open
    QStringList m_waiting;
};

} // namespace sorvane::ui
