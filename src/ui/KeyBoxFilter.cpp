#include "ui/KeyBoxFilter.h"

#include "ui/QtKeyMap.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace sorvane::ui {

bool isFocusChangeInWindow(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

KeyBoxFilter::KeyBoxFilter(const std::array<QLineEdit*, 3>& boxes, Handlers handlers, QObject* parent)
    : QObject(parent), m_boxes(boxes), m_handlers(std::move(handlers)) {
    for (QLineEdit* box : m_boxes)
        box->installEventFilter(this);
}

bool KeyBoxFilter::eventFilter(QObject* watched, QEvent* event) {
    const auto found = std::find(m_boxes.begin(), m_boxes.end(), watched);
    if (found == m_boxes.end())
        return QObject::eventFilter(watched, event);
    const int box = static_cast<int>(found - m_boxes.begin());
    switch (event->type()) {
    case QEvent::FocusIn:
        if (isFocusChangeInWindow(event))
            m_handlers.gotFocus(box);
        break;
    case QEvent::FocusOut:
        if (isFocusChangeInWindow(event))
            m_handlers.lostFocus(box);
        break;
    case QEvent::ShortcutOverride: {
        // Every key but Tab belongs to the box while it has the focus.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
            event->accept();
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false; // moves the focus on
        const int16_t code = virtualKeyForKeyPress(key->key(), key->modifiers(), key->nativeVirtualKey(),
                                                   key->nativeScanCode());
        if (code != 0)
            m_handlers.keyDown(box, code, shiftMaskForKeyPress(key->key(), key->modifiers()));
        return true;
    }
    case QEvent::ContextMenu:
        // The Menu key is assigned like any other key; its menu does not
        // open.  A right click still opens it.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sorvane::ui
