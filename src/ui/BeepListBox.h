#pragma once
// The beep-list box (Text8).  It keeps the text the user gave it, line
// breaks included, because the list is read back by its line feeds and
// carriage returns.  A text document knows only one kind of line break, so
// each break remembers what it was: CR LF (what Enter types, and what the
// list is shown with) or a lone LF, marked on the line behind it.  Any other
// CR is kept in its line as the visible symbol for a carriage return.
#include <QPlainTextEdit>
#include <QString>

class QMimeData;

namespace sorvane::ui {

class BeepListBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // The text with every line break as it was typed or pasted.
    QString rawText() const;
    // Shows the text; the same text again changes nothing.
    void setRawText(const QString& raw);

protected:
    // Pasted or dropped text keeps its line breaks.
    void insertFromMimeData(const QMimeData* source) override;
    // Copied or dragged text carries the line breaks it stands for.
    QMimeData* createMimeDataFromSelection() const override;

private:
    // The text between two document positions with its breaks as they were.
    QString rawSlice(int from, int to) const;
};

} // namespace sorvane::ui
