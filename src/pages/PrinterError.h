#pragma once
// The error raised when the current printer cannot be had or has gone away. It carries only its
// message and travels to whoever asked for the printer (the preview window's handlers).

#include <stdexcept>

class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
