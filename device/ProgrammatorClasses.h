// SPDX-License-Identifier: MIT
#pragma once
// The device programming classes in one include: CRC, frame, commands, programmator.

#include "BootloaderCommands.h"
#include "ComPortProgrammator.h"
#include "CommandFrame.h"
#include "Crc16.h"
#include "Programmator.h"
