// SPDX-License-Identifier: MIT
#pragma once
// IDialogsInterface: the modal dialogs a presenter asks the operator through (file choice,
// message boxes, the confirmation). The application uses Qt's; tests install their own answers.

#include "Failure.h"
#include "RefCounted.h"

#include <QtGlobal>

#include <optional>
#include <string>

namespace morlith {

// A file-open dialog's one filter entry, written "Description|pattern" (translated when shown).
struct TFileFilter {
    std::string Filter;
    // Appended (with a dot) to a typed name that has no extension.
    std::string DefaultExt;
};

// The firmware package filter of the application-file button.
inline const TFileFilter kAppFileFilter{
    QT_TRANSLATE_NOOP("morlith::TFileFilter", "ORVEL MCU Application|*.xml"), "xml"};
// The raw data filter of the data-file button.
inline const TFileFilter kDataFileFilter{
    QT_TRANSLATE_NOOP("morlith::TFileFilter", "Binary (*.bin)|*.bin"), "bin"};

class IDialogsInterface : public virtual IInterface {
public:
    // Runs a file-open dialog, in the folder last used for files of the filter's extension; the
    // full path chosen, or nothing when cancelled.
    virtual std::optional<std::string> OpenFile(const TFileFilter &Filter) = 0;
    // Shows an error box with `Text` (and `Detail` under it, when not empty) and an OK button.
    virtual void ShowError(const std::string &Text, const std::string &Detail) = 0;
    // Shows an error box titled `Title` with the failure's reason and what to do about it.
    virtual void ShowFailure(const std::string &Title, const TFailure &Failure) = 0;
    // Asks `Text` with Yes and No; true only for Yes.
    virtual bool Confirm(const std::string &Text) = 0;

protected:
    ~IDialogsInterface() override = default;
};

// The dialogs presenters use: the installed ones, else the Qt ones.
IDialogsInterface &Dialogs();

// Installs `Replacement` (not owned; null restores the Qt dialogs); returns the one before.
IDialogsInterface *InstallDialogs(IDialogsInterface *Replacement);

} // namespace morlith
