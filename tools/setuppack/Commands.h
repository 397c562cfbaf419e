// The five commands of setuppack. Each returns the process exit code:
// 0 success, 1 refused or problems found.
#pragma once

#include "CommandLine.h"

int RunBuild(const CommandLine& line);
int RunList(const CommandLine& line);
int RunExtract(const CommandLine& line);
int RunShow(const CommandLine& line);
int RunCheck(const CommandLine& line);
