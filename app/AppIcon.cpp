// SPDX-License-Identifier: MIT
#include "AppIcon.h"

#include <QPixmap>

namespace morlith {

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : kAppIconSizes)
        icon.addPixmap(QPixmap::fromImage(RenderAppIcon(size)));
    return icon;
}

} // namespace morlith
