#pragma once

#include "ui/dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ornavox {

// Dialogs that answer from scripted queues and record every question, for
// unit tests of the window logic. during_modal, when set, runs inside each call
// as the things that happen while a real modal box is open (timer ticks, a
// second click on the window).
class ScriptedDialogs : public Dialogs {
public:
    struct Question {
        std::string caption;
        std::string text;
    };

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> save_results;
    std::function<void()> during_modal;

    std::vector<Question> questions;
    std::vector<SaveFileOptions> save_requests;

    Answer ask_yes_no(const std::string& caption, const std::string& text) override
    {
        questions.push_back({caption, text});
        run_modal();
        if (answers.empty()) {
            ADD_FAILURE() << "ask_yes_no(\"" << caption << "\", \"" << text
                          << "\") asked with no scripted answer left; answering No";
            return Answer::No;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<std::string> get_save_file_name(const SaveFileOptions& options) override
    {
        save_requests.push_back(options);
        run_modal();
        if (save_results.empty()) {
            ADD_FAILURE() << "get_save_file_name(\"" << options.initial_dir << options.initial_name
                          << "\") asked with no scripted result left; cancelling";
            return std::nullopt;
        }
        std::optional<std::string> result = save_results.front();
        save_results.pop_front();
        return result;
    }

private:
    // The hook may itself open another box; a copy keeps it alive if the hook
    // replaces during_modal.
    void run_modal()
    {
        if (during_modal) {
            const std::function<void()> hook = during_modal;
            hook();
        }
    }
};

} // namespace ornavox
