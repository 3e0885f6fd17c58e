#pragma once

#include "Check.h"
#include "Process.h"

#include <cstddef>
#include <string>

// Files of this run; removed at exit.
TempFolder& Scratch();

// Letters cycling from first, so that pieces out of order or shifted show in a comparison.
std::string Pattern(std::size_t length, char first = 'a');

void RunChannelTests(TestResults& results);
void RunConcurrencyTests(TestResults& results);
void RunSendToolTests(TestResults& results);
void RunExampleTests(TestResults& results);

// The body of one child process of the concurrency test.
int ChildPrint(int child, int threads, int lines);
// The decoy of the handle test: takes over the handle of the ended viewer's window, and answers with the
// number of commands that reached its windows.
int ChildDecoy(UINT_PTR target);
