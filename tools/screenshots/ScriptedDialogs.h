#pragma once
// Dialog answers for the screenshots: each file dialog returns the next prepared path.

#include "DialogsIntf.h"

#include <deque>

namespace morlith {

class TScriptedDialogs : public TNonCountedObject, public IDialogsInterface {
public:
    // Paths the next file dialogs return, in order.
    std::deque<std::string> Files;

    // IDialogsInterface: the prepared paths; errors pass unseen; every question says Yes.
    std::optional<std::string> OpenFile(const TFileFilter &) override
    {
        if (Files.empty())
            return std::nullopt;
        std::string next = Files.front();
        Files.pop_front();
        return next;
    }
    void ShowError(const std::string &, const std::string &) override {}
    void ShowFailure(const std::string &, const TFailure &) override {}
    bool Confirm(const std::string &) override { return true; }
};

} // namespace morlith
