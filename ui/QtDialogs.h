// SPDX-License-Identifier: MIT
#pragma once
// The Qt implementation of the presenters' modal dialogs.

#include "DialogsIntf.h"

#include <QString>

#include <memory>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace morlith {

class TRecentFolders;

// Qt's filter text for "Description|pattern": "Description (pattern)", or the description alone
// when it already names the pattern in brackets ("Binary (*.bin)").
QString QtFileFilter(const std::string &Filter);

// `Text` with a word joiner after every "/" inside a word, so that a message box wraps a line
// between words but never in the middle of a path.
QString UnbrokenPaths(const QString &Text);

// The box that shows `Failure` under `Title`: the title as the box's caption and first line, the
// failure in the user's words, and what to do about it. Wide enough that the window's caption
// shows the whole title.
std::unique_ptr<QMessageBox> MakeFailureBox(const QString &Title, const TFailure &Failure,
                                            QWidget *Parent);

// Prepares `dialog` to choose a file for `Filter`: open mode, any name (a data-segment read
// creates its file), the translated filter, the default extension, and the folder last used for
// that kind of file.
void SetUpOpenFileDialog(QFileDialog &dialog, const TFileFilter &Filter,
                         const TRecentFolders &Folders);

// The box that asks `Text` with Yes and No.
std::unique_ptr<QMessageBox> MakeQuestionBox(const QString &Text, QWidget *Parent);

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
