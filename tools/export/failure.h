#pragma once
// How a command stops short: a Failure exits with status 1 and a UsageError
// (the command line itself is wrong) with status 2, each after its message.
// A Failure without a message is one there is nobody to tell (the reader of
// standard output went away).

#include <string>
#include <utility>

struct Failure {
    std::string message;
};

struct UsageError {
    std::string message;
};

[[noreturn]] inline void Fail(std::string message) { throw Failure{std::move(message)}; }
[[noreturn]] inline void Misused(std::string message) { throw UsageError{std::move(message)}; }
