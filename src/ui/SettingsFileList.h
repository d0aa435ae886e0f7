#pragma once
// The file list box (File1): the settings files of the working folder in the
// order of a file dialog, the current file highlighted.  Each entry carries
// its file's name (as bytes can be) in its data; the text shown may have
// replacement characters where the bytes are not UTF-8.
#include <QListWidget>
#include <QString>
#include <string>

namespace sorvane::ui {

class SettingsFileList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    // The folder listed, as the system's bytes.
    void setFolder(std::string folderBytes) { m_folderBytes = std::move(folderBytes); }

    // Re-reads the folder and highlights the current file.  The entries are
    // rebuilt only when the folder changed, so that the list keeps its place.
    void refresh(const QString& currentFile);
    // Highlights the entry of the current file, or none when it is not listed.
    void showFile(const QString& currentFile);
    // The entry of the file: by its name, else the same file under another
    // name (a folder part, or a link).  Null when the list does not show it.
    QListWidgetItem* itemOf(const QString& file) const;

    // The name of the file an entry stands for.
    static QString fileName(const QListWidgetItem* item) { return item->data(Qt::UserRole).toString(); }

private:
    std::string m_folderBytes;
};

} // namespace sorvane::ui
