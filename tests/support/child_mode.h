#pragma once
// The child mode of the test programs: process tests start the test program itself with
// "--kestrel-child=<steps>", steps separated by ",":
//   sleep:MS    sleep MS milliseconds
//   spawn:MS    start another copy that sleeps MS milliseconds, without waiting for it
//   exit:N      end with exit code N (the default end is 0)
//   hold:PATH   open the file PATH (no blank or "," in it) without sharing and keep it open
//               until the end; then create PATH".held", so that a test knows it is held

#include <string>

namespace kestrel::testing {

inline constexpr const char* kChildSwitch = "--kestrel-child=";

// Runs the steps; the exit code for the process.
int RunChild(const std::string& steps);

// The path of this test program as it can be started again ("" outside Windows).
std::string TestProgramPath();

// The command line that starts this test program in child mode ("" where processes cannot be
// started, outside Windows).
std::string ChildCommandLine(const std::string& steps);

}  // namespace kestrel::testing
