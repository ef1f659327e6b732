// SPDX-License-Identifier: MIT
#pragma once
// The one stand-in of the interface tests: modal dialogs wait for a person, so the tests answer
// them here and record what was asked and what the screen showed at that moment.

#include "DialogsIntf.h"

#include <deque>
#include <functional>
#include <vector>

class FakeDialogs : public morlith::TNonCountedObject, public morlith::IDialogsInterface {
public:
    // An error box as the operator saw it.
    struct ShownError {
        std::string text;
        std::string detail;
        bool progressVisible = false; // the progress dialog was on screen
        bool overlayVisible = false;  // the dimming overlay was on screen
    };

    // Answers of the next file dialogs, in order (nothing: cancelled).
    std::deque<std::optional<std::string>> files;
    // The filters the file dialogs were opened with.
    std::vector<morlith::TFileFilter> filtersAsked;
    // The answer to confirmations.
    bool confirmAnswer = false;
    // The questions asked.
    std::vector<std::string> questions;
    // The error boxes shown (failure boxes too: their title as text, the reason as detail).
    std::vector<ShownError> errors;
    // The failures shown, with the title of their box.
    std::vector<std::pair<std::string, morlith::TFailure>> failures;
    // Reads what the screen shows when an error box appears.
    std::function<bool()> progressShown;
    std::function<bool()> overlayShown;

    // IDialogsInterface: answers from the fields above, recording what was asked.
    std::optional<std::string> OpenFile(const morlith::TFileFilter &filter) override
    {
        filtersAsked.push_back(filter);
        if (files.empty())
            return std::nullopt;
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
    void ShowError(const std::string &text, const std::string &detail) override
    {
        errors.push_back({text, detail, progressShown && progressShown(),
                          overlayShown && overlayShown()});
    }
    void ShowFailure(const std::string &title, const morlith::TFailure &failure) override
    {
        failures.emplace_back(title, failure);
        ShowError(title, failure.Message());
    }
    bool Confirm(const std::string &text) override
    {
        questions.push_back(text);
        return confirmAnswer;
    }
};
