#pragma once
// What `zul` returns to the shell; every command keeps to these, so that a
// script can tell a failed exchange from a typing error.
namespace zul::cli {

inline constexpr int kExitOk = 0;         // done (diff, verify: no difference)
inline constexpr int kExitFailure = 1;    // the operation failed: the controller, the port or a file
inline constexpr int kExitUsage = 2;      // the command line is wrong: unknown command or option, bad value
inline constexpr int kExitDifferent = 3;  // diff, verify: both sides were read, and they differ

}  // namespace zul::cli
