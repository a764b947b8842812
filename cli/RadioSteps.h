#pragma once

#include "CliRadio.h"

// std
#include <optional>
#include <string>
#include <vector>

// Steps the commands share.

// The file's image, or nothing with the window's message printed.
[[nodiscard]] std::optional<RadioImage> LoadFile(const std::string& path);

// Selects `port`, or with none given the port the probe finds; false (and the message printed)
// when no port answers.
bool ChoosePort(CCliRadio& radio, const std::string& port);

// Prints the operation's message (the result on stdout, a failure on stderr) and returns the
// exit code it gives.
int ReportOutcome(const OperationOutcome& outcome);

struct VerifyResult
{
    OperationOutcome read;
    std::vector<std::string> differences; // meaningful when the read is Done
};
// Reads the radio and compares what it holds with `expected` (by the texts alone when
// `textsOnly`).
[[nodiscard]] VerifyResult VerifyRadio(CCliRadio& radio, const RadioImage& expected,
                                       bool textsOnly);
// Prints the differences (or that there are none, or why the read failed); the exit code.
int ReportVerify(const VerifyResult& result);
