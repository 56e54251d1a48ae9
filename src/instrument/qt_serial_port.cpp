// QSerialPort behind the link's serial-port interface: exclusive open, line settings, bounded reads and writes.
#include "instrument/qt_serial_port.h"

#include <poll.h>

#include <QDeadlineTimer>
#include <QString>
#include <algorithm>

namespace {

QSerialPort::DataBits QtDataBits(int bits) {
  switch (bits) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
  }
}

QSerialPort::Parity QtParity(ParityMode parity) {
  switch (parity) {
    case ParityMode::Even: return QSerialPort::EvenParity;
    case ParityMode::Odd: return QSerialPort::OddParity;
    case ParityMode::None: break;
  }
  return QSerialPort::NoParity;
}

}  // namespace

QtSerialPort::QtSerialPort(int writeTimeoutMs) : writeTimeoutMs_(writeTimeoutMs) {}

bool QtSerialPort::Open(const std::string& devicePath) {
  Close();
  port_.setPortName(QString::fromStdString(devicePath));
  return port_.open(QIODevice::ReadWrite);
}

void QtSerialPort::Close() {
  if (port_.isOpen()) port_.close();
  port_.clearError();
}

bool QtSerialPort::IsOpen() const { return port_.isOpen(); }

void QtSerialPort::ApplyLineSettings(const LineSettings& settings) {
  // QSerialPort always runs the line raw (binary) and has no switch for parity checking of its own, so Binary and
  // ParityCheck need no call.
  port_.setBaudRate(settings.BaudRate);
  port_.setDataBits(QtDataBits(settings.DataBits));
  port_.setParity(QtParity(settings.Parity));
  port_.setStopBits(settings.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  port_.clearError();
}

void QtSerialPort::Write(const std::uint8_t* data, std::size_t size) {
  if (!port_.isOpen()) return;
  port_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  port_.waitForBytesWritten(writeTimeoutMs_);
  CloseIfGone();
}

std::size_t QtSerialPort::Read(std::uint8_t* buffer, std::size_t size, int timeoutMs) {
  if (!port_.isOpen()) return 0;
  const QDeadlineTimer deadline(std::max(timeoutMs, 0));
  std::size_t count = 0;
  for (;;) {
    const qint64 got = port_.read(reinterpret_cast<char*>(buffer + count), static_cast<qint64>(size - count));
    if (got > 0) count += static_cast<std::size_t>(got);
    if (count == size || deadline.hasExpired()) break;
    port_.clearError();
    // Anything but a time-out (a read error, a hang-up) would return at once again: stop instead of spinning.
    if (!port_.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
        port_.error() != QSerialPort::TimeoutError) {
      break;
    }
  }
  CloseIfGone();
  return count;
}

void QtSerialPort::CloseIfGone() {
  const QSerialPort::SerialPortError error = port_.error();
  if (error == QSerialPort::ResourceError) return Close();
  if (error != QSerialPort::ReadError && error != QSerialPort::WriteError) return;
  // A hung-up terminal reads as end of file, which QSerialPort reports as a plain read error: ask the device.
  pollfd state{static_cast<int>(port_.handle()), 0, 0};
  if (poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL))) Close();
}
