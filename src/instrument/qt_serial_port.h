// The serial-port interface over QSerialPort, usable without a running event loop.
#pragma once

#include <QSerialPort>

#include "instrument/serial_port.h"

class QtSerialPort : public SerialPort {
 public:
  static constexpr int kWriteTimeoutMs = 1000;

  explicit QtSerialPort(int writeTimeoutMs = kWriteTimeoutMs);

  // QSerialPort locks the device, so a port held by another opener fails to open. A name without a slash is
  // taken as a device under /dev, as QSerialPort does.
  bool Open(const std::string& devicePath) override;
  void Close() override;
  bool IsOpen() const override;
  // Requests each setting on its own; a pseudo-terminal refuses 7 data bits and parity, which is not acted on.
  void ApplyLineSettings(const LineSettings& settings) override;
  // Waits up to the write time-out for the bytes to leave.
  void Write(const std::uint8_t* data, std::size_t size) override;
  std::size_t Read(std::uint8_t* buffer, std::size_t size, int timeoutMs) override;

 private:
  // A device that went away (unplugged, or the other end of a pseudo-terminal hung up) is closed, so the link
  // sees no connection, as after a failed open, instead of reads that fail at once for ever.
  void CloseIfGone();

  QSerialPort port_;
  int writeTimeoutMs_;
};
