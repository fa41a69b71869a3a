#include "tools/bin2c/bin_to_c_dialog.h"

// Torvane
#include "tools/bin2c/bin_to_c_tool.h"
#include "tools/bin2c/bin_to_c_ids.h"
#include "widgets/path_field.h"
#include "widgets/point_font.h"
#include "widgets/texts.h"

// Qt
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Standard library
#include <optional>
#include <string>

namespace torvane::ui {

CDlg_BinToH::CDlg_BinToH(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName(QString::number(bin2c_ids::kDialog));
    setWindowTitle(CoreText(kBinToCCaption));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    auto label = [this](const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    auto edit = [this](int id) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::number(id));
        e->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48);
        MakePathField(e);
        return e;
    };
    // No button is a default one: Enter must not start a conversion by surprise.
    auto button = [this](const QString& caption, int id) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };

    auto* sourceLabel = label(CoreText(kBinToCSourceLabel));
    source_ = edit(bin2c_ids::kSource);
    browseSource_ = button(QStringLiteral("..."), bin2c_ids::kBrowseSource);
    auto* targetLabel = label(CoreText(kBinToCTargetLabel));
    target_ = edit(bin2c_ids::kTarget);
    browseTarget_ = button(QStringLiteral("..."), bin2c_ids::kBrowseTarget);
    convert_ = button(Texts::tr("转换"), bin2c_ids::kConvert);
    stdint_ = new QCheckBox(CoreText(kBinToCStdintCaption), this);
    stdint_->setObjectName(QString::number(bin2c_ids::kStdintType));
    const int browseWidth = fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24;
    browseSource_->setFixedWidth(browseWidth);
    browseTarget_->setFixedWidth(browseWidth);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->addWidget(sourceLabel, 0, 0);
    grid->addWidget(source_, 0, 1);
    grid->addWidget(browseSource_, 0, 2);
    grid->addWidget(targetLabel, 1, 0);
    grid->addWidget(target_, 1, 1);
    grid->addWidget(browseTarget_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(stdint_);
    buttons->addStretch(1);
    buttons->addWidget(convert_);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(browseSource_, &QPushButton::clicked, this, [this] {
        if (const std::optional<BinToCPaths> paths = BrowseBinToCSource(prompts_)) {
            ShowPath(source_, QString::fromStdString(paths->Source));
            ShowPath(target_, QString::fromStdString(paths->Target));
        }
    });
    connect(browseTarget_, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> path = BrowseBinToCTarget(prompts_))
            ShowPath(target_, QString::fromStdString(*path));
    });
    connect(convert_, &QPushButton::clicked, this,
            [this] {
                ConvertBinToC(source_->text().toStdString(), target_->text().toStdString(), prompts_,
                              stdint_->isChecked() ? CArrayType::StdintUint8 : CArrayType::Uint8);
            });
}

}  // namespace torvane::ui
