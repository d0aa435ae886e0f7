#include "ui/BeepListBox.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace sorvane::ui {

namespace {

class LoneLineFeed : public QTextBlockUserData {};
constexpr char16_t kCarriageReturnSymbol = 0x240D;

QString shownLine(QString line) {
    line.replace(QLatin1Char('\r'), QChar(kCarriageReturnSymbol));
    return line;
}

} // namespace

QString BeepListBox::rawText() const {
    return rawSlice(0, document()->characterCount() - 1);
}

void BeepListBox::setRawText(const QString& raw) {
    if (raw == rawText())
        return;
    QString shown;
    QList<int> loneFeeds;
    const QStringList lines = raw.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (i + 1 < lines.size()) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            else
                loneFeeds << i + 1;
        }
        shown += shownLine(line);
        if (i + 1 < lines.size())
            shown += QLatin1Char('\n');
    }
    setPlainText(shown);
    for (int block : loneFeeds)
        document()->findBlockByNumber(block).setUserData(new LoneLineFeed);
}

void BeepListBox::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText())
        return;
    const QStringList lines = source->text().split(QLatin1Char('\n'));
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        bool crlf = false;
        if (i + 1 < lines.size() && line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
            crlf = true;
        }
        cursor.insertText(shownLine(line));
        if (i + 1 < lines.size()) {
            cursor.insertBlock();
            if (!crlf)
                cursor.block().setUserData(new LoneLineFeed);
        }
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* BeepListBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* mime = new QMimeData;
    mime->setText(rawSlice(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

QString BeepListBox::rawSlice(int from, int to) const {
    QString raw;
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        if (b.position() > from)
            raw += b.userData() ? QStringLiteral("\n") : QStringLiteral("\r\n");
        const int start = std::max(from - b.position(), 0);
        const int end = std::min(to - b.position(), b.length() - 1);
        QString part = b.text().mid(start, end - start);
        part.replace(QChar(kCarriageReturnSymbol), QLatin1Char('\r'));
        raw += part;
    }
    return raw;
}

} // namespace sorvane::ui
