#pragma once
// The user panel: a quick-launch list of the teacher's programs and files, kept in SetInfo.ini's [ToolInfo]
// (one key per entry, its display text, holding the file's path). Files dropped on it become entries; a
// click opens an entry with the desktop; delete empties the entry's value.
#include <QIcon>
#include <QString>
#include <QWidget>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace DIALOG {

class CUserDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kListId = 1042;
    static constexpr int kDeleteId = 1069;
    static constexpr int kHideId = 1070;

    explicit CUserDlg(QWidget* owner);

    // Empties the list and fills it again from [ToolInfo]; entries with an empty value are left out.
    void Reload();
    // Adds an entry for a file; false when nothing was added. The same file again adds nothing quietly; a
    // file the entries cannot keep exactly, or whose name another file's entry has, is refused with a
    // message.
    bool AddEntry(const QString& path);
    // Opens the entry with this display text with the desktop; false when it has no path or its file is gone
    // (which the teacher is told).
    bool OpenEntry(const QString& text);
    // Deletes the selected entry: its value becomes empty and the list is read again.
    void DeleteSelected();

    QListWidget* List() const { return list_; }
    QStringList EntryTexts() const;

    // The file's icon from the desktop's icon theme, by its type.
    static QIcon FileIcon(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The settings file, or an empty string (the teacher has been told why) when it cannot be used.
    QString settingsFile() const;
    // Adds the entry; the text that says why it was refused, or an empty one.
    QString addEntry(const QString& path);
    void tell(const QString& text);

    QListWidget* list_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* hide_ = nullptr;
};

} // namespace DIALOG
