#include "ui/qt_prompts.h"

#include <QFileDialog>
#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>

namespace torvane::ui {

QStringList QtNameFilters(const std::string& filter) {
    QStringList filters;
    for (const FilterEntry& e : ParseFilter(filter)) {
        QStringList patterns;
        for (const std::string& p : e.patterns) {
            const QString pattern = QString::fromStdString(p);
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!patterns.contains(variant)) patterns << variant;
            }
        }
        filters << QString::fromStdString(e.description) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

Answer QtPrompts::Show(const MessageBox& box) {
    QMessageBox m(owner_);
    m.setWindowTitle(QString::fromStdString(box.caption));
    m.setText(QString::fromStdString(box.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (box.icon) {
        case MessageIcon::None: m.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::Information: m.setIcon(QMessageBox::Information); break;
        case MessageIcon::Question: m.setIcon(QMessageBox::Question); break;
        case MessageIcon::Exclamation: m.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Error: m.setIcon(QMessageBox::Critical); break;
    }
    switch (box.buttons) {
        case MessageButtons::Ok: m.setStandardButtons(QMessageBox::Ok); break;
        case MessageButtons::YesNo:
            m.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            m.setEscapeButton(QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            m.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            m.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Ok, "确定"}, {QMessageBox::Yes, "是(&Y)"}, {QMessageBox::No, "否(&N)"}, {QMessageBox::Cancel, "取消"}};
    for (const auto& [button, caption] : captions) {
        if (QAbstractButton* b = m.button(button)) b->setText(QString::fromUtf8(caption));
    }
    switch (m.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Ok: return Answer::Ok;
        default: return box.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

std::optional<std::string> QtPrompts::Ask(const FileDialog& dialog, bool save) {
    QFileDialog d(owner_);
    d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(save || dialog.allowNewFile ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(dialog.filter);
    if (!filters.isEmpty()) d.setNameFilters(filters);
    if (!dialog.defaultExtension.empty()) d.setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));
    if (!dialog.initialFolder.empty()) d.setDirectory(QString::fromStdString(dialog.initialFolder));
    if (!dialog.proposedName.empty()) d.selectFile(QString::fromStdString(dialog.proposedName));
    d.setOption(QFileDialog::DontConfirmOverwrite, !dialog.overwritePrompt);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    // Qt answers with '/' on every system; the program shows and stores the
    // system's own form ("D:\fw\app.hex" on Windows).
    return QDir::toNativeSeparators(d.selectedFiles().first()).toStdString();
}

std::optional<std::string> QtPrompts::OpenFile(const FileDialog& dialog) { return Ask(dialog, false); }
std::optional<std::string> QtPrompts::SaveFile(const FileDialog& dialog) { return Ask(dialog, true); }

}  // namespace torvane::ui
