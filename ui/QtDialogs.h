#pragma once
// The Qt implementation of the presenters' modal dialogs.

#include "DialogsIntf.h"

#include <QString>

namespace morlith {

// Qt's filter text for "Description|pattern": "Description (pattern)", or the description alone
// when it already names the pattern in brackets ("Binary (*.bin)").
QString QtFileFilter(const std::string &Filter);

// `Text` with a word joiner after every "/" inside a word, so that a message box wraps a line
// between words but never in the middle of a path.
QString UnbrokenPaths(const std::string &Text);

// File-open dialogs and message boxes of the running application.
class TQtDialogs : public TNonCountedObject, public IDialogsInterface {
public:
    // IDialogsInterface, on Qt's file dialog and message boxes.
    std::optional<std::string> OpenFile(const TFileFilter &Filter) override;
    void ShowError(const std::string &Text, const std::string &Detail) override;
    void ShowFailure(const std::string &Title, const TFailure &Failure) override;
    bool Confirm(const std::string &Text) override;
};

} // namespace morlith
