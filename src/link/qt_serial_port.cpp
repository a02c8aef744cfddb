#include "link/qt_serial_port.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "link/port_device.h"

namespace frostel::link {

namespace {
constexpr int kWriteTimeoutMs = 2000;
static_assert(kPortNoDevice == QSerialPort::DeviceNotFoundError &&
              kPortPermissionDenied == QSerialPort::PermissionError &&
              kPortNotOpen == QSerialPort::NotOpenError);
}  // namespace

QtSerialPort::QtSerialPort(DeviceForNumber device_for_number)
    : device_for_number_(std::move(device_for_number)) {}

QtSerialPort::DeviceForNumber QtSerialPort::fixed_device(std::string path) {
    return [path = std::move(path)](int) { return path; };
}

PortStatus QtSerialPort::failure() {
    const auto code = static_cast<PortStatus>(port_.error());
    notice_loss();
    port_.clearError();
    return code > 0 ? code : static_cast<PortStatus>(QSerialPort::UnknownError);
}

PortStatus QtSerialPort::open_failure() {
    const PortStatus code = failure();
    // The device refused a terminal's requests ("Inappropriate ioctl for device").
    if (code == QSerialPort::UnsupportedOperationError) {
        return kPortNotSerial;
    }
    if (code != kPortPermissionDenied) {
        return code;
    }
    // Qt says "permission" also for a device another program holds (its lock file, or an
    // exclusive open). A device the user may read and write is held, then; a Windows port
    // ("COM3") is no file, and there a refused open means the same.
    const QFileInfo file(QString::fromLocal8Bit(device_));
    const bool may_use = !file.exists() || (file.isReadable() && file.isWritable());
    return may_use ? kPortInUse : kPortPermissionDenied;
}

void QtSerialPort::notice_loss() {
    if (port_.error() == QSerialPort::ResourceError && port_.isOpen()) {
        port_.close();
        lost_ = true;
    }
}

PortStatus QtSerialPort::reopen_if_lost() {
    if (!lost_) {
        return kPortOk;
    }
    const PortStatus status = open_device();
    lost_ = status != kPortOk;
    return status;
}

PortStatus QtSerialPort::open(int number) {
    opened_number_ = number;
    lost_ = false;
    return open_device();
}

PortStatus QtSerialPort::open_device() {
    if (port_.isOpen()) {
        port_.close();
    }
    // A symbolic link is followed by the name it has; QSerialPort takes a path as is.
    device_ = device_for_number_(opened_number_);
    port_.setPortName(QString::fromLocal8Bit(device_));
    if (!port_.open(QIODevice::ReadWrite)) {
        return open_failure();
    }
    const bool settings_ok = port_.setBaudRate(4800) && port_.setDataBits(QSerialPort::Data8) &&
                             port_.setParity(QSerialPort::NoParity) &&
                             port_.setStopBits(QSerialPort::OneStop) &&
                             port_.setFlowControl(QSerialPort::NoFlowControl);
    return settings_ok ? kPortOk : failure();
}

std::string QtSerialPort::device_identity() const {
    PortDevice device{device_, device_, std::nullopt};
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(device_, error);
    if (!error) {
        device.target = target.string();
    }
    // Qt finds a USB bridge's descriptor by the port's name; a terminal a program serves has
    // none, and is not among the ports Qt lists.
    const QSerialPortInfo info(QString::fromLocal8Bit(device_));
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
        device.usb = PortDevice::Usb{info.vendorIdentifier(), info.productIdentifier(),
                                     info.serialNumber().toStdString()};
    }
    return device_text(device);
}

PortStatus QtSerialPort::close() {
    lost_ = false;
    if (!port_.isOpen()) {
        return kPortNotOpen;
    }
    port_.close();
    return kPortOk;
}

PortStatus QtSerialPort::set_rts(bool on) {
    if (const PortStatus reopened = reopen_if_lost(); reopened != kPortOk) {
        return reopened;
    }
    if (!port_.isOpen()) {
        return kPortNotOpen;
    }
    return port_.setRequestToSend(on) ? kPortOk : failure();
}

PortStatus QtSerialPort::discard_input() {
    if (const PortStatus reopened = reopen_if_lost(); reopened != kPortOk) {
        return reopened;
    }
    if (!port_.isOpen()) {
        return kPortNotOpen;
    }
    // Take in what the system has buffered first, so the clear reaches it too.
    port_.waitForReadyRead(0);
    return port_.clear(QSerialPort::Input) ? kPortOk : failure();
}

PortStatus QtSerialPort::write(std::span<const Byte> bytes) {
    if (!port_.isOpen()) {
        return kPortNotOpen;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (port_.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        return failure();
    }
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(kWriteTimeoutMs)) {
            return failure();
        }
    }
    return kPortOk;
}

std::size_t QtSerialPort::bytes_waiting() {
    if (!port_.isOpen()) {
        return 0;
    }
    if (port_.bytesAvailable() == 0) {
        port_.waitForReadyRead(0);
        notice_loss();
    }
    return static_cast<std::size_t>(port_.bytesAvailable());
}

Byte QtSerialPort::take_byte() {
    char byte = 0;
    port_.getChar(&byte);
    return static_cast<Byte>(byte);
}

void QtSerialPort::wait_for_byte(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    if (!port_.isOpen()) {
        // Nothing can arrive; sleep out the wait instead of spinning on a closed port.
        if (left >= 0) {
            std::this_thread::sleep_for(milliseconds(left + 1));
        }
        return;
    }
    // One millisecond more, so that the deadline has passed when no byte came.
    const int wait_ms = static_cast<int>(std::max<long long>(left + 1, 0));
    const bool ready = port_.waitForReadyRead(wait_ms);
    const QSerialPort::SerialPortError error = port_.error();
    if (error == QSerialPort::ResourceError ||
        (!ready && error != QSerialPort::TimeoutError && error != QSerialPort::NoError)) {
        // A vanished device answers at once; wait out the byte's time instead of spinning.
        notice_loss();
        port_.clearError();
        std::this_thread::sleep_until(deadline + milliseconds(1));
    }
}

}  // namespace frostel::link
