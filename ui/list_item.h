#pragma once

#include <QWidget>

#include "core/file_list.h"
#include "core/window_layout.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;

namespace torvane::ui {

// One row of the file list: a view of the row's RowControls. What the user
// types, picks or checks goes into RowControls at once; after every row
// operation the widgets are refreshed from it. Each widget's object name is its
// control identifier.
class Dlg_ListItem : public QWidget {
    Q_OBJECT
public:
    Dlg_ListItem(FileList& list, int row, double scale, QWidget* parent);

    int row() const { return row_; }
    // Shows RowControls in the widgets.
    void Refresh();

    const RowLayout& layout() const { return layout_; }
    // Lays the row out again with the main layout's extra width.
    void SetExtraWidth(int extraWidth);

    // The row's context menu, with its single item "删除" (32780).
    QMenu* CreateContextMenu(QWidget* parent);
    // Chooses a file for the row as its browse button does, without asking.
    void LoadFile(const QString& path);
    // Loads the path typed into the file-name box, if one was typed since
    // the row was last shown (FileList::LoadTypedFile).
    void CommitTypedPath();

signals:
    // A row operation ran (the rows of the window may want to refresh).
    void changed(int row);
    // A value was typed or picked into the row's controls (no operation ran).
    void edited(int row);
    // A project file was dropped on the row; the window imports it.
    void projectDropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Place();
    RowControls& controls() { return list_.Controls(row_); }

    FileList& list_;
    int row_;
    double scale_;
    RowLayout layout_;
    bool refreshing_ = false;
    bool typed_ = false;  // the file-name box holds typed text not yet taken

    QCheckBox* select_;
    QLineEdit* fileName_;
    QPushButton* browse_;
    QLineEdit* fileSize_;
    QComboBox* polishType_;
    QLineEdit* binOffset_;
    QComboBox* polishData_;
    QLineEdit* offsetAddr_;
    QCheckBox* saveOffset_;
};

// The property of an edit that takes Enter itself: the window lets the key
// through to it instead of swallowing it.
inline constexpr const char* kTakesEnterProperty = "takesEnter";

// The one local file a drag carries; empty when it carries none or several.
QString DraggedLocalFile(const QMimeData* mime);

// A file dropped on the window with this name is a project to import: its
// name ends in ".ini", in either letter case.
bool IsProjectFileName(const QString& path);

}  // namespace torvane::ui
