// SPDX-License-Identifier: MIT
#pragma once
// IMainViewInterface: what the main window's presenter asks of the main window.

#include "RefCounted.h"

#include <string>

namespace morlith {

class IMainViewInterface : public virtual IInterface {
public:
    // Shows `Caption` in the caption label of the top bar.
    virtual void SetFormCaption(const std::string &Caption) = 0;
    // Tells the arrows which pages they lead to (their tooltips and spoken names): `Previous`
    // (left arrow) and `Next` (right arrow), each empty at the end of the row.
    virtual void SetNeighbourPages(const std::string &Previous, const std::string &Next) = 0;

protected:
    ~IMainViewInterface() override = default;
};

} // namespace morlith
