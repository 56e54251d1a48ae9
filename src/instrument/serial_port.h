// The small serial-port interface the instrument link talks through; the Qt adapter and test doubles implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class ParityMode { None, Even, Odd };

// The line settings the link requests on every open.
struct LineSettings {
  int BaudRate = 38400;
  bool Binary = true;
  int DataBits = 7;
  bool ParityCheck = true;
  ParityMode Parity = ParityMode::Even;
  int StopBits = 1;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the device for reading and writing, exclusively: false when it is missing or held by another opener.
  virtual bool Open(const std::string& devicePath) = 0;
  // Closes the port; no effect when none is open.
  virtual void Close() = 0;
  // True while a port is open and usable; false after a failed open or once the device has gone away.
  virtual bool IsOpen() const = 0;
  // Requests the settings; the caller does not act on whether the device accepted them.
  virtual void ApplyLineSettings(const LineSettings& settings) = 0;
  // Writes the bytes in one write; the outcome is not reported.
  virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
  // Returns once `size` bytes have arrived or `timeoutMs` has passed, whichever comes first; returns the count read.
  // Never blocks longer than the time-out.
  virtual std::size_t Read(std::uint8_t* buffer, std::size_t size, int timeoutMs) = 0;
};
