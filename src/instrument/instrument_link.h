// The serial connection to the instrument: opening the port by name, one frame out and one level reply in per point.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "instrument/serial_port.h"
#include "sweep/instrument.h"
#include "sweep/sweep_state.h"
#include "sweep/sweep_view.h"

// The device a port name stands for: "COM1" and "COM2" are the first two serial ports, any other name is a path.
std::string DevicePathForPort(const std::string& portName);

class InstrumentLink : public Instrument {
 public:
  static constexpr int kReadTimeoutMs = 10000;

  InstrumentLink(SerialPort& port, SweepState& state, SweepView& view, int readTimeoutMs = kReadTimeoutMs);

  // Opens and configures the port PortName names; a failure shows "Can't open serial port" and leaves the link
  // without a connection, on which every read times out at once.
  void OpenSerialPort();
  // Options > COM1 and Options > COM2.
  void COM11Click();
  void COM21Click();
  // What both menu items do for their port: close, take the name, show it in status panel 1, open.
  void ChoosePort(const std::string& portName);
  // Closes the connection; no effect when none is open.
  void ClosePort();

  void SendFrequency(double megahertz) override;
  double ReadLevel() override;
  bool Connected() const override;

  std::string PortName = "COM1";

 private:
  // Reads up to `count` bytes into the start of the receive buffer; without connection nothing comes, at once.
  void ReadIntoBuffer(std::size_t count);

  SerialPort& port_;
  SweepState& state_;
  SweepView& view_;
  int readTimeoutMs_;
  // Bytes 0 to 4 take the reply, byte 5 stays 0. It lives as long as the link: a short read parses what
  // earlier replies left in the bytes it did not fill.
  std::array<std::uint8_t, 6> receive_{};
};
