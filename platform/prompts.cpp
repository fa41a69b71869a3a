#include "platform/prompts.h"

#include "platform/program_path.h"

namespace torvane {

void ShowNotice(Prompts& prompts, const std::string& text) {
    prompts.Show(MessageBox{text, ApplicationName(), MessageIcon::None, MessageButtons::Ok});
}

Answer SilentPrompts::Show(const MessageBox& box) {
    switch (box.buttons) {
        case MessageButtons::Ok: return Answer::Ok;
        case MessageButtons::YesNo: return Answer::No;
        case MessageButtons::YesNoCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}

}  // namespace torvane
