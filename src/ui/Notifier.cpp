#include "ui/Notifier.h"

#include <QMessageBox>
#include <cstdio>

namespace sorvane::ui {

Notifier::Notifier(QWidget* owner) : QObject(owner), m_owner(owner) {}

void Notifier::notify(const QString& message) {
    std::fprintf(stderr, "sorvane-timer: %s\n", message.toLocal8Bit().constData());
    if (m_box && m_box->isVisible()) {
        if (m_last == message)
            return; // the same message is on screen already
        m_box->setText(m_box->text() + "\n\n" + message);
    } else {
        m_box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Sorvane Timer"), message,
                                QMessageBox::Ok, m_owner);
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setAttribute(Qt::WA_ShowWithoutActivating);
        m_box->setWindowModality(Qt::NonModal);
        m_box->show();
    }
    m_last = message;
}

} // namespace sorvane::ui
