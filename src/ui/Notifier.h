#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

class QMessageBox;

namespace sorvane::ui {

// Tells the user about something that could not be done, without blocking:
// a small window that does not take the focus and does not stop a running
// cycle.  Messages that arrive while it is open are added to it.
class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(QWidget* owner);
    void notify(const QString& message);
    QString lastMessage() const { return m_last; }

private:
    QWidget* m_owner;
    QPointer<QMessageBox> m_box;
    QString m_last;
};

} // namespace sorvane::ui
