// SPDX-License-Identifier: MIT
#pragma once
// ILoadingViewInterface and the state the Loading page is drawn from, TStatusView.

#include "RefCounted.h"

#include <string>

namespace morlith {

// The Loading page's state, pushed to the view as a whole.
class TStatusView {
public:
    // The programmator reported a connection at the last connect or disconnect.
    bool Connected = false;
    // Full path of the data file chosen, empty when none.
    std::string DataFileName;
    // Full path of the firmware package chosen, empty when none.
    std::string AppFileName;
    // What the chosen controller holds, in words, while connected; empty when not known.
    std::string Holding;
};

class ILoadingViewInterface : public virtual IInterface {
public:
    // Enables and disables the page's controls from `Status`.
    virtual void UpdateView(const TStatusView &Status) = 0;
    // Shows the firmware package's path.
    virtual void SetAppFileName(const std::string &FileName) = 0;
    // Shows the data file's path.
    virtual void SetDataFileName(const std::string &FileName) = 0;

protected:
    ~ILoadingViewInterface() override = default;
};

} // namespace morlith
