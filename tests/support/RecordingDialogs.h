#pragma once
// A Dialogs that records every call and answers from a script.
#include <deque>
#include <string>
#include <vector>

#include "app/Dialogs.h"

namespace tessaro7::testing {

struct DialogCall {
    enum class Kind { Message, Notice, TextPreview, OpenFile, Help } kind;
    std::string text;   // the message, the notice's line 0, or the guide's page
    std::string title;  // the title, or the text preview's panel caption
    app::Buttons buttons = app::Buttons::Ok;
    app::Icon icon = app::Icon::Information;
    app::Answer defaultButton = app::Answer::None;
    app::Notice notice;
    std::vector<app::PreviewLine> preview;
    std::string filter;
    std::string encoding;  // the text preview's
};

class RecordingDialogs : public app::Dialogs {
public:
    std::vector<DialogCall> calls;
    std::deque<app::Answer> answers;           // for message(); Ok/Yes... default Ok
    std::deque<int> noticeAnswers;             // for notice(); default 7
    std::deque<std::optional<std::string>> files;  // for openFile(); default none

    app::Answer message(const std::string& text, const std::string& title, app::Buttons buttons, app::Icon icon,
                        app::Answer defaultButton) override {
        calls.push_back({DialogCall::Kind::Message, text, title, buttons, icon, defaultButton, {}, {}, {}, {}});
        if (answers.empty()) return buttons == app::Buttons::YesNo ? app::Answer::Yes : app::Answer::Ok;
        app::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    int notice(const app::Notice& n) override {
        calls.push_back({DialogCall::Kind::Notice, n.lines[0], {}, {}, {}, {}, n, {}, {}, {}});
        if (noticeAnswers.empty()) return app::kNoticeClosed;
        int a = noticeAnswers.front();
        noticeAnswers.pop_front();
        return a;
    }
    void textPreview(const std::string& panelCaption, const std::vector<app::PreviewLine>& lines,
                     const std::string& encoding) override {
        calls.push_back({DialogCall::Kind::TextPreview, {}, panelCaption, {}, {}, {}, {}, lines, {}, encoding});
    }
    std::optional<std::string> openFile(const std::string& filter, const std::string& startFolder) override {
        calls.push_back({DialogCall::Kind::OpenFile, startFolder, {}, {}, {}, {}, {}, {}, filter, {}});
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
    void openHelp(const std::string& page) override {
        calls.push_back({DialogCall::Kind::Help, page, {}, {}, {}, {}, {}, {}, {}, {}});
    }

    const DialogCall& last() const { return calls.back(); }
};

}  // namespace tessaro7::testing
