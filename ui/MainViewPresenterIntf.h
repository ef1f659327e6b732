// SPDX-License-Identifier: MIT
#pragma once
// IMainViewPresenterInterface: what the main window forwards to its presenter.

#include "RefCounted.h"

namespace morlith {

class IMainViewPresenterInterface : public virtual IInterface {
public:
    // Slides the next page in from the right; nothing on the last page.
    virtual void MoveToLeft() = 0;
    // Slides the previous page in from the left; nothing on the first page.
    virtual void MoveToRight() = 0;
    // Whether the window may close now: not while an operation runs on the module.
    virtual bool CanClose() = 0;

protected:
    ~IMainViewPresenterInterface() override = default;
};

} // namespace morlith
