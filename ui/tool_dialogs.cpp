#include "ui/tool_dialogs.h"

#include "tools/bin2c/bin_to_c_dialog.h"
#include "tools/bin2c/bin_to_c_tool.h"
#include "tools/checksum/check_dialog.h"
#include "tools/checksum/check_tool.h"
#include "tools/compare/compare_dialog.h"
#include "tools/nic/upgrade_dialog.h"
#include "tools/stamp/stamp_dialog.h"
#include "tools/testbin/test_bin_dialog.h"
#include "tools/testbin/test_bin_tool.h"
#include "ui/qt_prompts.h"
#include "ui/main_ids.h"

#include <type_traits>

namespace torvane::ui {
namespace {

// A tool dialog is made for one use. Its boxes and file dialogs open over it,
// and its prompts live exactly as long as it does.
template <typename Dialog, typename... Extra>
void RunToolDialog(QWidget* parent, const Extra&... extra) {
    QtPrompts prompts;
    Dialog dialog(prompts, extra..., parent);
    prompts.SetOwner(&dialog);
    // The adapter dialog reports a refused configuration in its list, not in
    // a box: the reason goes under the list.
    if constexpr (std::is_same_v<Dialog, CDlg_NCUpgradeFile>)
        prompts.SetReasonSink([&dialog](const QString& reason) { dialog.ShowReason(reason); });
    dialog.exec();
}

}  // namespace

void OpenToolDialog(int command, QWidget* parent, const std::vector<FieldSpec>& mergeFields, bool mergePositions) {
    switch (command) {
        case main_ids::kChecksumTool: RunToolDialog<CDlg_Check>(parent); break;
        case main_ids::kStampTool: RunToolDialog<CDlg_Stamp>(parent); break;
        case main_ids::kCompareTool: RunToolDialog<CDlg_Compare>(parent, mergeFields, mergePositions); break;
        case main_ids::kTestBinTool: RunToolDialog<Dlg_TestBin>(parent); break;
        case main_ids::kBinToCTool: RunToolDialog<CDlg_BinToH>(parent); break;
        case main_ids::kUpgradeTool: RunToolDialog<CDlg_NCUpgradeFile>(parent); break;
        default: break;
    }
}

}  // namespace torvane::ui
