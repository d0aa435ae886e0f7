#include "ui/Notifier.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <utility>

namespace sorvane::ui {

Notifier::Notifier(QWidget* owner) {
    setOwner(owner);
}

void Notifier::setOwner(QWidget* owner) {
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = owner;
    if (!m_owner)
        return;
    m_owner->installEventFilter(this);
    if (m_owner->isVisible())
        showWaiting();
}

bool Notifier::eventFilter(QObject* watched, QEvent* event) {
    // Shown once the owner's own showing is done, so that the notice has a
    // window to stand above.
    if (watched == m_owner && event->type() == QEvent::Show && !m_waiting.isEmpty())
        QTimer::singleShot(0, this, &Notifier::showWaiting);
    return QObject::eventFilter(watched, event);
}

QMessageBox* Notifier::notice() const {
    return m_box;
}

void Notifier::notify(const QString& message) {
    std::fprintf(stderr, "sorvane-timer: %s\n", message.toLocal8Bit().constData());
    if (noticeParent())
        show(message);
    else
        m_waiting << message;
}

QWidget* Notifier::noticeParent() const {
    if (!m_owner)
        return nullptr;
    if (m_owner->isVisible())
        return m_owner;
    // The owner is hidden while another of its windows stands in for it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_box && window->isVisible() && window->parentWidget() == m_owner)
            return window;
    }
    return nullptr;
}

void Notifier::showWaiting() {
    if (!noticeParent())
        return;
    const QStringList waiting = std::exchange(m_waiting, {});
    for (const QString& message : waiting)
        show(message);
}

void Notifier::show(const QString& message) {
    if (m_box && m_box->isVisible()) {
        if (m_last == message)
            return; // the same message is on screen already
        m_box->setText(m_box->text() + "\n\n" + message);
    } else {
        m_box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Sorvane Timer"), message,
                                QMessageBox::Ok, noticeParent());
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setAttribute(Qt::WA_ShowWithoutActivating);
        m_box->setWindowModality(Qt::NonModal);
        m_box->show();
    }
    m_last = message;
}

} // namespace sorvane::ui
