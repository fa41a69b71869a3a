#include "platform/prompts.h"

#include "platform/program_path.h"

namespace torvane {

void ShowNotice(Prompts& prompts, const std::string& text) {
    prompts.Show(MessageBox{text, ApplicationName(), MessageIcon::None, MessageButtons::Ok});
}

void ShowInformation(Prompts& prompts, const std::string& text) {
    prompts.Show(MessageBox{text, ApplicationName(), MessageIcon::Information, MessageButtons::Ok});
}

void ShowWarning(Prompts& prompts, const std::string& text) {
    prompts.Show(MessageBox{text, ApplicationName(), MessageIcon::Exclamation, MessageButtons::Ok});
}

void ShowStop(Prompts& prompts, const std::string& text) {
    prompts.Show(MessageBox{text, ApplicationName(), MessageIcon::Error, MessageButtons::Ok});
}

void ExplainFailure(Prompts& prompts, int32_t row, const std::string& path, const std::string& reason) {
    prompts.last_ = FailureReason{row, path, reason};
    prompts.Explain(prompts.last_);
}

std::vector<FilterEntry> ParseFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<FilterEntry> entries;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) break;  // the closing "||"
        FilterEntry e;
        e.description = parts[i];
        const std::string& pats = parts[i + 1];
        size_t p = 0;
        while (p <= pats.size()) {
            const size_t semi = pats.find(';', p);
            const size_t end = semi == std::string::npos ? pats.size() : semi;
            if (end > p) e.patterns.push_back(pats.substr(p, end - p));
            if (semi == std::string::npos) break;
            p = semi + 1;
        }
        if (!e.patterns.empty()) entries.push_back(std::move(e));
    }
    return entries;
}

Answer DecliningAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok: return Answer::Ok;
        case MessageButtons::YesNo: return Answer::No;
        case MessageButtons::YesNoCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}

Answer SilentPrompts::Show(const MessageBox& box) { return DecliningAnswer(box.buttons); }

}  // namespace torvane
