#include "widgets/new_list_box.h"

namespace torvane::ui {

QString DisplayText(const std::string& line) {
    QString text = QString::fromStdString(line);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    return text;
}

OperationLogModel::~OperationLogModel() {
    if (log_) log_->RemoveListener(this);
}

void OperationLogModel::SetLog(OperationLog* log) {
    beginResetModel();
    if (log_) log_->RemoveListener(this);
    log_ = log;
    if (log_) log_->AddListener(this);
    endResetModel();
}

int OperationLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !log_ ? 0 : log_->LineCount();
}

QVariant OperationLogModel::data(const QModelIndex& index, int role) const {
    if (!log_ || !index.isValid() || index.row() >= log_->LineCount()) return QVariant();
    if (role == Qt::DisplayRole) return DisplayText(log_->Line(index.row()));
    return QVariant();
}

void OperationLogModel::OnLineAboutToBeAdded(int32_t index) { beginInsertRows(QModelIndex(), index, index); }

void OperationLogModel::OnLineWritten(int32_t index, bool added) {
    if (added) endInsertRows();
    else emit dataChanged(this->index(index), this->index(index));
    emit lineSelected(index);
}

void OperationLogModel::OnAboutToClear() { beginResetModel(); }

void OperationLogModel::OnCleared() { endResetModel(); }

CNewListBox::CNewListBox(QWidget* parent) : QListView(parent), model_(new OperationLogModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(model_, &OperationLogModel::lineSelected, this, [this](int row) {
        // The new line becomes the current one and is scrolled to, but is not
        // shown selected: a highlight is the user's pick, not the log's.
        const QModelIndex index = model_->index(row);
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        scrollTo(index);
    });
}

void CNewListBox::Show(OperationLog* log) {
    model_->SetLog(log);
    if (log && log->Selected() >= 0)
        selectionModel()->setCurrentIndex(model_->index(log->Selected()), QItemSelectionModel::NoUpdate);
}

QString CNewListBox::RowText(int row) const { return model_->data(model_->index(row), Qt::DisplayRole).toString(); }

}  // namespace torvane::ui
