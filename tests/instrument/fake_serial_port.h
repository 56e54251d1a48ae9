// An in-memory serial port: scripted incoming bytes with time-out gaps, and a record of every call.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "instrument/serial_port.h"

class FakeSerialPort : public SerialPort {
 public:
  struct ReadCall {
    std::size_t size;
    int timeoutMs;
  };

  bool Open(const std::string& devicePath) override {
    openedPaths.push_back(devicePath);
    if (onOpen) onOpen();
    open = openSucceeds;
    return open;
  }
  void Close() override {
    open = false;
    ++closeCount;
  }
  bool IsOpen() const override { return open; }
  void ApplyLineSettings(const LineSettings& settings) override { appliedSettings.push_back(settings); }
  void Write(const std::uint8_t* data, std::size_t size) override { writes.emplace_back(data, data + size); }
  // Delivers queued bytes until `size` are read, the queue runs dry or a gap (the time-out passing) comes.
  std::size_t Read(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
    reads.push_back({size, timeoutMs});
    std::size_t count = 0;
    while (count < size && !incoming.empty()) {
      const int next = incoming.front();
      incoming.pop_front();
      if (next == kGap) break;
      buffer[count++] = static_cast<std::uint8_t>(next);
    }
    return count;
  }

  // Queues bytes; kGap ends the read in progress as a time-out would.
  void Arrive(std::initializer_list<int> bytes) { incoming.insert(incoming.end(), bytes); }

  static constexpr int kGap = -1;

  bool openSucceeds = true;
  bool open = false;
  int closeCount = 0;
  std::vector<std::string> openedPaths;
  std::vector<LineSettings> appliedSettings;
  std::vector<std::vector<std::uint8_t>> writes;
  std::vector<ReadCall> reads;
  std::deque<int> incoming;
  std::function<void()> onOpen;
};
