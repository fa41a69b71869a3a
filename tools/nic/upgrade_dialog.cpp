#include "tools/nic/upgrade_dialog.h"

// Torvane
#include "platform/prompts.h"
#include "tools/nic/upgrade_image.h"
#include "widgets/new_list_box.h"
#include "widgets/path_field.h"
#include "widgets/point_font.h"
#include "tools/nic/upgrade_ids.h"
#include "widgets/texts.h"

// Qt
#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

// Standard library
#include <optional>
#include <string>

namespace torvane::ui {
namespace {

// The face of the browse button inside a path edit: three dots.
QIcon BrowseIcon(const QColor& colour) {
    QPixmap dots(16, 16);
    dots.fill(Qt::transparent);
    QPainter p(&dots);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (const qreal x : {3.5, 8.0, 12.5}) p.drawEllipse(QPointF(x, 11.0), 1.4, 1.4);
    return QIcon(dots);
}

}  // namespace

CDlg_NCUpgradeFile::CDlg_NCUpgradeFile(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName(QString::number(upgrade_ids::kDialog));
    setWindowTitle(Texts::tr("生成网卡升级文件"));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    auto label = [this](const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    // No button is a default one: Enter must not write files by surprise.
    auto button = [this](const QString& caption, int id) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        b->setMinimumWidth(b->sizeHint().width() + 24);
        return b;
    };

    auto* cdromLabel = label(Texts::tr("升级文件+CDROM"));
    cdromImage_ = PathEdit(upgrade_ids::kCdromImage, FileKind::UpgradeImage);
    auto* imageLabel = label(Texts::tr("升级文件"));
    image_ = PathEdit(upgrade_ids::kImage, FileKind::UpgradeImage);
    auto* configLabel = label(Texts::tr("网卡配置文件"));
    config_ = PathEdit(upgrade_ids::kConfig, FileKind::AdapterConfig);
    merge_ = button(Texts::tr("生成合并后的文件"), upgrade_ids::kMerge);
    production_ = button(Texts::tr("生成生产使用文件"), upgrade_ids::kProduction);
    list_ = new CNewListBox(this);
    list_->setObjectName(QString::number(upgrade_ids::kList));
    list_->Show(&lines_);
    // A long line (the 32 wake-up bytes, an output path) scrolls sideways as in
    // a plain list box instead of being cut off with an ellipsis; the scroll
    // range then has to come from every line, not from the first one.
    list_->setUniformItemSizes(false);
    list_->setTextElideMode(Qt::ElideNone);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The success lines carry whole output paths.
    list_->setMinimumSize(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 90, fontMetrics().height() * 18);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->addWidget(cdromLabel, 0, 0);
    grid->addWidget(cdromImage_, 0, 1);
    grid->addWidget(imageLabel, 1, 0);
    grid->addWidget(image_, 1, 1);
    grid->addWidget(configLabel, 2, 0);
    grid->addWidget(config_, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    buttons->addWidget(merge_);
    buttons->addWidget(production_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(12);
    column->addLayout(grid);
    column->addLayout(buttons);
    column->addWidget(list_, 1);
    reason_ = new QLabel(this);
    reason_->setObjectName(QStringLiteral("reason"));
    reason_->setTextFormat(Qt::PlainText);
    reason_->setWordWrap(true);
    reason_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    reason_->hide();
    column->addWidget(reason_);

    connect(merge_, &QPushButton::clicked, this, [this] {
        ShowReason(QString());
        GenerateMergedFiles(cdromImage_->text().toStdString(), image_->text().toStdString(),
                            config_->text().toStdString(), lines_, prompts_);
    });
    connect(production_, &QPushButton::clicked, this, [this] {
        ShowReason(QString());
        GenerateProductionFiles(cdromImage_->text().toStdString(), image_->text().toStdString(),
                                config_->text().toStdString(), lines_, prompts_);
    });
}

CDlg_NCUpgradeFile::~CDlg_NCUpgradeFile() {
    // The list stops listening before the lines go away with this object.
    list_->Show(nullptr);
}

void CDlg_NCUpgradeFile::ShowReason(const QString& reason) {
    reason_->setText(reason.isEmpty() ? QString() : Texts::tr("原因：%1").arg(reason));
    reason_->setVisible(!reason.isEmpty());
}

QLineEdit* CDlg_NCUpgradeFile::PathEdit(int id, FileKind kind) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    MakePathField(edit);
    QAction* browse = edit->addAction(BrowseIcon(palette().color(QPalette::Text)), QLineEdit::TrailingPosition);
    browse->setObjectName(QString::fromUtf8(kUpgradeBrowseAction));
    // Any file may be chosen: the images and the configuration have no fixed extension.
    // The two images share their folder; the configuration has its own.
    connect(browse, &QAction::triggered, this, [this, edit, kind] {
        FileDialog dialog;
        dialog.kind = kind;
        if (const std::optional<std::string> path = prompts_.OpenFile(dialog))
            ShowPath(edit, QString::fromStdString(*path));
    });
    return edit;
}

}  // namespace torvane::ui
