#pragma once

// std
#include <string>

// The commands of vorlend-cli. Each prints its result (stdout) or its failure (stderr) in the
// window's words and returns the exit code.

enum ExitCode : int
{
    kExitOk = 0,
    kExitRadio = 1, // the radio or the port failed, no radio was found, or images differ
    kExitUsage = 2, // bad command line, or a file that cannot be read, accepted or saved
};

// How the commands talk to the user.
struct CliOptions
{
    bool showProgress = false; // a progress bar on stderr (only on a terminal)
};

int RunPorts(const CliOptions& options);
// `port` empty: the port the probe finds.
int RunRead(const CliOptions& options, const std::string& port, const std::string& path);
int RunWrite(const CliOptions& options, const std::string& port, const std::string& path,
             bool verify);
int RunVerify(const CliOptions& options, const std::string& port, const std::string& path);
int RunConvert(const std::string& in, const std::string& out);
int RunShow(const std::string& path);
// Writes and verifies each radio that answers, until `count` radios (0: no limit) or SIGINT.
int RunWriteEach(const CliOptions& options, const std::string& path, int count);
