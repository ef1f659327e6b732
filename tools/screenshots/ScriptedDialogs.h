// SPDX-License-Identifier: MIT
#pragma once
// Dialog answers for a window run by a program (the screenshots, the window driven under Wine):
// each file dialog returns the next prepared path, every question says Yes, and a failure box is
// recorded instead of shown.

#include "DialogsIntf.h"

#include <deque>
#include <string>
#include <vector>

namespace morlith {

class TScriptedDialogs : public TNonCountedObject, public IDialogsInterface {
public:
    // Paths the next file dialogs return, in order.
    std::deque<std::string> Files;
    // The last error or failure box's contents: "KIND: TITLE: MESSAGE" ("error: TEXT DETAIL"
    // for an error box); "" when none was shown.
    std::string LastFailure;
    // Every question asked, in order; each is answered Yes.
    std::vector<std::string> Questions;

    // IDialogsInterface: the prepared paths; boxes recorded; every question says Yes.
    std::optional<std::string> OpenFile(const TFileFilter &) override
    {
        if (Files.empty())
            return std::nullopt;
        std::string next = Files.front();
        Files.pop_front();
        return next;
    }
    void ShowError(const std::string &Text, const std::string &Detail) override
    {
        LastFailure = "error: " + Text + (Detail.empty() ? "" : " " + Detail);
    }
    void ShowFailure(const std::string &Title, const TFailure &Failure) override
    {
        LastFailure = std::string(Failure.KindName()) + ": " + Title + ": " + Failure.Message();
    }
    bool Confirm(const std::string &Question) override
    {
        Questions.push_back(Question);
        return true;
    }
};

} // namespace morlith
