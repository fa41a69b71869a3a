#pragma once

#include <QDialog>

#include "core/operation_log.h"
#include "platform/prompts.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane::ui {

class CNewListBox;

// Object name of the browse action inside each path edit.
inline constexpr const char* kUpgradeBrowseAction = "browse";

// "生成网卡升级文件": writes copies of one or two adapter upgrade images with the
// settings of a configuration file in place. The dialog gathers the three
// paths; each command is one call of GenerateMergedFiles or
// GenerateProductionFiles, whose lines collect in the dialog's own list and
// stay there until it closes. Escape closes it; Enter presses no button.
class CDlg_NCUpgradeFile : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_NCUpgradeFile(Prompts& prompts, QWidget* parent = nullptr);
    ~CDlg_NCUpgradeFile() override;

    const OperationLog& lines() const { return lines_; }
    // Shows why the last command failed, under its list; empty hides it.
    void ShowReason(const QString& reason);
    QLabel* reason() const { return reason_; }

private:
    // An edit whose browse button puts the chosen file's full path into it.
    QLineEdit* PathEdit(int id, FileKind kind);

    Prompts& prompts_;
    OperationLog lines_;
    QLineEdit* cdromImage_ = nullptr;
    QLineEdit* image_ = nullptr;
    QLineEdit* config_ = nullptr;
    QPushButton* merge_ = nullptr;
    QPushButton* production_ = nullptr;
    CNewListBox* list_ = nullptr;
    QLabel* reason_ = nullptr;
};

}  // namespace torvane::ui
