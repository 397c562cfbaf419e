// The end-to-end driver: everything a scenario needs to work setup.exe from
// outside and check what it left behind. Scenarios include this one header.
//
//   Scenario.h     folders, fixtures, the disc drive Q: and its discs,
//                  documents opened through the registered opener
//   Process.h      programs started or found, watched for windows
//   Window.h       windows and message boxes: find, read, click, answer
//   SystemState.h  files, registry, shortcut files, shell folders
//   Launcher.h     the launcher: its ids, caption, and how to start it
#pragma once

#include "Launcher.h"
#include "Process.h"
#include "Scenario.h"
#include "SystemState.h"
#include "Window.h"
