#include "ui/qt_prompts.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSettings>
#include <QTextDocument>
#include <QTimer>

#include "core/chinese_reasons.h"
#include "widgets/texts.h"

namespace torvane::ui {

QStringList QtNameFilters(const std::string& filter) {
    QStringList filters;
    for (const FilterEntry& e : ParseFilter(filter)) {
        QStringList patterns;
        for (const std::string& p : e.patterns) patterns << QString::fromStdString(p);
        filters << QString::fromStdString(e.description) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

int MessageBoxMinimumWidth(const QString& caption, const QFont& font) {
    // Title bars draw their caption in a bold face at least as large as the
    // box's; the room beside it holds the icon and the close button.
    QFont bold = font;
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(caption) + kTitleBarRoom;
}

QString FolderSettingsKey(FileKind kind) {
    const char* name = nullptr;
    switch (kind) {
        case FileKind::Unspecified: return QString();
        case FileKind::Firmware: name = "Firmware"; break;
        case FileKind::Project: name = "Project"; break;
        case FileKind::Log: name = "Log"; break;
        case FileKind::MergeOutput: name = "MergeOutput"; break;
        case FileKind::CheckFile: name = "CheckFile"; break;
        case FileKind::TestBinOutput: name = "TestBinOutput"; break;
        case FileKind::BinToCSource: name = "BinToCSource"; break;
        case FileKind::BinToCTarget: name = "BinToCTarget"; break;
        case FileKind::UpgradeImage: name = "UpgradeImage"; break;
        case FileKind::StampImage: name = "StampImage"; break;
        case FileKind::StampOutput: name = "StampOutput"; break;
        case FileKind::AdapterConfig: name = "AdapterConfig"; break;
        case FileKind::CompareImage: name = "CompareImage"; break;
        case FileKind::CompareReport: name = "CompareReport"; break;
        case FileKind::SerialTemplate: name = "SerialTemplate"; break;
        case FileKind::SerialOutput: name = "SerialOutput"; break;
        case FileKind::SerialManifest: name = "SerialManifest"; break;
    }
    return name ? QStringLiteral("FileDialogFolders/") + QLatin1String(name) : QString();
}

QtPrompts::QtPrompts(QWidget* owner) : owner_(owner) {}

QtPrompts::~QtPrompts() {
    *alive_ = false;
    ShowWaitingBox();
}

Answer QtPrompts::Show(const MessageBox& box) {
    ShowWaitingBox();
    if (box.buttons != MessageButtons::Ok) return Present(box, QString());
    waiting_ = box;
    // Nothing more said before the program waits for the user again: the box
    // shows as it is.
    QTimer::singleShot(0, [this, alive = std::weak_ptr<bool>(alive_)] {
        if (const std::shared_ptr<bool> still = alive.lock(); still && *still) ShowWaitingBox();
    });
    return Answer::Ok;
}

void QtPrompts::Explain(const FailureReason& reason) {
    const QString detail = QString::fromStdString(ShownReasonDetail(reason));
    if (waiting_) {
        const MessageBox box = *waiting_;
        waiting_.reset();
        Present(box, detail);
    } else if (sink_) {
        sink_(detail);
    }
}

void QtPrompts::ShowWaitingBox() {
    if (!waiting_) return;
    const MessageBox box = *waiting_;
    waiting_.reset();
    Present(box, QString());
}

Answer QtPrompts::Present(const MessageBox& box, const QString& detail) {
    QMessageBox m(owner_);
    // A box's caption and text are looked up whole as a last resort: most
    // come translated already, and an English text passes through unchanged.
    m.setWindowTitle(QString::fromStdString(Localized(box.caption)));
    m.setText(QString::fromStdString(Localized(box.text)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // The file's name is the user's: never taken for markup.
    if (!detail.isEmpty()) m.setInformativeText(Qt::convertFromPlainText(detail, Qt::WhiteSpaceNormal));
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
    if (box.defaultAnswer) {
        switch (*box.defaultAnswer) {
            case Answer::Ok: m.setDefaultButton(QMessageBox::Ok); break;
            case Answer::Yes: m.setDefaultButton(QMessageBox::Yes); break;
            case Answer::No: m.setDefaultButton(QMessageBox::No); break;
            case Answer::Cancel: m.setDefaultButton(QMessageBox::Cancel); break;
        }
    }
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Ok, QT_TRANSLATE_NOOP("Torvane", "确定")},
        {QMessageBox::Yes, QT_TRANSLATE_NOOP("Torvane", "是(&Y)")},
        {QMessageBox::No, QT_TRANSLATE_NOOP("Torvane", "否(&N)")},
        {QMessageBox::Cancel, QT_TRANSLATE_NOOP("Torvane", "取消")}};
    for (const auto& [button, caption] : captions) {
        if (QAbstractButton* b = m.button(button)) b->setText(Texts::tr(caption));
    }
    // A short text makes a box too narrow for its title bar to show the caption.
    if (auto* grid = qobject_cast<QGridLayout*>(m.layout())) {
        grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(m.windowTitle(), m.font()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    switch (m.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Ok: return Answer::Ok;
        default: return box.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

std::optional<std::string> QtPrompts::Ask(const FileDialog& dialog, bool save) {
    ShowWaitingBox();
    QFileDialog d(owner_);
#ifndef Q_OS_WIN
    // Qt's own dialog on Linux: it speaks the window's language, matches the
    // patterns in either letter case and shows each filter's label once,
    // whatever the desktop's dialog would do. On Windows the system's own
    // dialog does all of that, and it is the one Windows users know.
    d.setOption(QFileDialog::DontUseNativeDialog, true);
#endif
    d.setOption(QFileDialog::HideNameFilterDetails, true);
    d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(save || dialog.allowNewFile ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Localized(dialog.filter));
    if (!filters.isEmpty()) d.setNameFilters(filters);
    if (!dialog.defaultExtension.empty()) d.setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));

    const QString key = FolderSettingsKey(dialog.kind);
    const QString remembered = key.isEmpty() ? QString() : QSettings().value(key).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) d.setDirectory(remembered);
    else if (!dialog.initialFolder.empty()) d.setDirectory(QString::fromStdString(dialog.initialFolder));
    if (!dialog.proposedName.empty()) d.selectFile(QString::fromStdString(dialog.proposedName));
    d.setOption(QFileDialog::DontConfirmOverwrite, !dialog.overwritePrompt);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;

    const QString chosen = d.selectedFiles().first();
    if (!key.isEmpty()) QSettings().setValue(key, QDir::toNativeSeparators(QFileInfo(chosen).absolutePath()));
    // Qt answers with '/' on every system; the program shows and stores the
    // system's own form ("D:\fw\app.hex" on Windows).
    return QDir::toNativeSeparators(chosen).toStdString();
}

std::optional<std::string> QtPrompts::OpenFile(const FileDialog& dialog) { return Ask(dialog, false); }
std::optional<std::string> QtPrompts::SaveFile(const FileDialog& dialog) { return Ask(dialog, true); }

}  // namespace torvane::ui
