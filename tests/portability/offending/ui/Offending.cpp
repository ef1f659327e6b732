// SPDX-License-Identifier: MIT
// A view that reaches past the platform layer.
#include <QWidget>
#include <sys/stat.h>
