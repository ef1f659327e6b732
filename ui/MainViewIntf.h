#pragma once
// IMainViewInterface: what the main window's presenter asks of the main window.

#include "RefCounted.h"

#include <string>

namespace morlith {

class IMainViewInterface : public virtual IInterface {
public:
    // Shows `Caption` in the caption label of the top bar.
    virtual void SetFormCaption(const std::string &Caption) = 0;
    // Names the pages the two arrows lead to, for their tooltips; empty where there is none.
    virtual void SetNeighbourPages(const std::string &Previous, const std::string &Next) = 0;

protected:
    ~IMainViewInterface() override = default;
};

} // namespace morlith
