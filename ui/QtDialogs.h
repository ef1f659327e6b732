#pragma once
// The Qt implementation of the presenters' modal dialogs.

#include "DialogsIntf.h"

#include <QString>

class QFileDialog;

namespace morlith {

class TRecentFolders;

// Qt's filter text for "Description|pattern": "Description (pattern)", or the description alone
// when it already names the pattern in brackets ("Binary (*.bin)").
QString QtFileFilter(const std::string &Filter);

// `Text` with a word joiner after every "/" inside a word, so that a message box wraps a line
// between words but never in the middle of a path.
QString UnbrokenPaths(const std::string &Text);

// Prepares `dialog` to choose a file for `Filter`: open mode, any name (a data-segment read
// creates its file), the translated filter, the default extension, and the folder last used for
// that kind of file.
void SetUpOpenFileDialog(QFileDialog &dialog, const TFileFilter &Filter,
                         const TRecentFolders &Folders);

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
