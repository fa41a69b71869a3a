#pragma once

#include <QAbstractListModel>
#include <QListView>

#include "core/operation_log.h"

namespace torvane::ui {

// The lines of an OperationLog as a list model: it reads the log's own lines and
// keeps no copy of them.
class OperationLogModel : public QAbstractListModel, private OperationLogListener {
    Q_OBJECT
public:
    explicit OperationLogModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}
    ~OperationLogModel() override;

    void SetLog(OperationLog* log);
    OperationLog* log() const { return log_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // A line was written and became the selected one.
    void lineSelected(int row);

private:
    void OnLineAboutToBeAdded(int32_t index) override;
    void OnLineWritten(int32_t index, bool added) override;
    void OnAboutToClear() override;
    void OnCleared() override;

    OperationLog* log_ = nullptr;
};

// A plain single-selection list that shows an OperationLog and keeps the line
// written last selected and in view.
class CNewListBox : public QListView {
    Q_OBJECT
public:
    explicit CNewListBox(QWidget* parent = nullptr);

    // Shows `log` (nullptr for none) from now on.
    void Show(OperationLog* log);
    OperationLogModel* logModel() const { return model_; }
    // The text a row shows.
    QString RowText(int row) const;

private:
    OperationLogModel* model_;
};

// A log line as a list shows it: without its line end.
QString DisplayText(const std::string& line);

}  // namespace torvane::ui
