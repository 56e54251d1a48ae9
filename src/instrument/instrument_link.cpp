// The instrument link: port opening and switching, the set-frequency write and the level reply search.
#include "instrument/instrument_link.h"

#include <span>

#include "instrument/frames.h"
#include "sweep/numeric_rules.h"

std::string DevicePathForPort(const std::string& portName) {
  if (portName == "COM1") return "/dev/ttyS0";
  if (portName == "COM2") return "/dev/ttyS1";
  return portName;
}

InstrumentLink::InstrumentLink(SerialPort& port, SweepState& state, SweepView& view, int readTimeoutMs)
    : port_(port), state_(state), view_(view), readTimeoutMs_(readTimeoutMs) {}

void InstrumentLink::OpenSerialPort() {
  // A second open of a port already held would fail and leave the old connection dangling.
  ClosePort();
  if (!port_.Open(DevicePathForPort(PortName))) {
    view_.ShowMessageBox("Can't open serial port", "Error", MessageStyle::Error);
    return;
  }
  port_.ApplyLineSettings(LineSettings{});
}

void InstrumentLink::COM11Click() { ChoosePort("COM1"); }

void InstrumentLink::COM21Click() { ChoosePort("COM2"); }

void InstrumentLink::ChoosePort(const std::string& portName) {
  ClosePort();
  PortName = portName;
  view_.SetStatusText(1, PortName);
  OpenSerialPort();
}

void InstrumentLink::ClosePort() {
  if (port_.IsOpen()) port_.Close();
}

void InstrumentLink::SendFrequency(double megahertz) {
  const std::vector<std::uint8_t> frame = frames::SetFrequencyFrame(megahertz);
  if (port_.IsOpen()) port_.Write(frame.data(), frame.size());
}

double InstrumentLink::ReadLevel() {
  state_.TimedOut = false;
  do {
    receive_[0] = 0;
    ReadIntoBuffer(1);
    // Nothing within the time-out and a NUL byte look the same: byte 0 stays 0.
    if (receive_[0] == 0) {
      state_.TimedOut = true;
      view_.ShowMessageBox("Time out", "ERROR", MessageStyle::Warning);
    }
  } while (!frames::IsStartMarker(receive_[0]) && !state_.TimedOut);

  receive_[0] = 0;
  ReadIntoBuffer(5);
  for (std::size_t i = 0; i < 4; ++i) receive_[i] &= 0x7F;
  return numeric_rules::LevelFromValue(frames::ReplyValue(std::span<const std::uint8_t>(receive_)));
}

bool InstrumentLink::Connected() const { return port_.IsOpen(); }

void InstrumentLink::ReadIntoBuffer(std::size_t count) {
  if (port_.IsOpen()) port_.Read(receive_.data(), count, readTimeoutMs_);
}
