#pragma once
// Key capture of the three key boxes.  While a box has the focus every key
// but Tab belongs to it, shortcuts and the Menu key included: each press is
// reported with its Windows virtual-key code and shift mask, and Tab moves
// the focus on.  The focus a box takes and gives up is reported too, except
// when the whole window is switched away from or a popup opens: the box
// still has the focus when the window comes back.
#include <QObject>

#include <array>
#include <cstdint>
#include <functional>

class QEvent;
class QLineEdit;

namespace sorvane::ui {

// Whether a focus event changes the focus within the window, rather than
// the window's or a popup's turn.
bool isFocusChangeInWindow(const QEvent* event);

class KeyBoxFilter : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(int box)> gotFocus;
        std::function<void(int box)> lostFocus;
        std::function<void(int box, int16_t keyCode, int16_t shift)> keyDown;
    };

    // Watches the boxes (Start, Restart, Stop); box numbers are their places.
    KeyBoxFilter(const std::array<QLineEdit*, 3>& boxes, Handlers handlers, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLineEdit*, 3> m_boxes;
    Handlers m_handlers;
};

} // namespace sorvane::ui
