#include "comms/px_posix_dispatcher.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

#include "common/px_exceptions.h"
#include "comms/px_dispatcher_thread.h"
#include "comms/px_os_errors.h"

namespace px {

namespace {

// A thread start that does not report within this long is not waited for.
constexpr int kThreadStartMs = 3000;
// Modem lines and error counters are polled this often when the driver
// cannot wake us for them.
constexpr int kLinePollMs = 50;
// How often a purge looks whether the output thread has let go of the ring.
constexpr int kFlushAckPollMs = 20;
// How often stopping the threads serves the application's events.
constexpr int kStopPumpMs = 5;
// In RS-485 mode the output thread, which lowers RTS after each piece, runs
// one step above the others.
constexpr int kRs485OutputBoost = 1;

// The kernel's error counters and the line error each one stands for.
struct ErrorCounter {
    int serial_icounter_struct::*count;
    uint32_t flag;
};
constexpr ErrorCounter kErrorCounters[] = {
    {&serial_icounter_struct::overrun, leOverrun},      {&serial_icounter_struct::parity, leParity},
    {&serial_icounter_struct::frame, leFraming},        {&serial_icounter_struct::brk, leBreak},
    {&serial_icounter_struct::buf_overrun, leOverflow},
};

struct BaudCode {
    uint32_t rate;
    speed_t code;
};

constexpr BaudCode kBauds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool baudCode(uint32_t rate, speed_t& code) {
    for (const auto& entry : kBauds) {
        if (entry.rate == rate) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

uint32_t baudRate(speed_t code) {
    for (const auto& entry : kBauds) {
        if (entry.code == code) {
            return entry.rate;
        }
    }
    return 0;
}

}  // namespace

static_assert(std::size(kErrorCounters) == TPxPosixDispatcher::kErrorCounterCount);

TPxPosixDispatcher::TPxPosixDispatcher(TPxCustomComPort* owner, TPxClock& clock, TPxEventLoop* loop,
                                       TPxSysCalls& sys)
    : TPxBaseDispatcher(owner, clock, loop), sys_(sys), flushRequest_(false) {}

TPxPosixDispatcher::~TPxPosixDispatcher() {
    releaseBuffers();
    if (fd_ >= 0) {
        closeDevice();
    }
}

// -------------------------------------------------------------------- device

int TPxPosixDispatcher::openDevice(const std::string& name, uint32_t, uint32_t) {
    if (!comEvent_.valid() || !comDone_.valid() || !general_.valid() || !outputEvent_.valid() ||
        !flushRequest_.valid() || !wake_.valid()) {
        return ecOutOfMemory;
    }
    deviceName_ = name;
    deviceError_ = 0;
    int fd = sys_.open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errorFromErrno(errno);
    }
    // One program at a time: the advisory lock keeps out every other program
    // that locks too (even root), TIOCEXCL the others.
    if (sys_.flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        sys_.close(fd);
        return errorFromErrno(err == EWOULDBLOCK ? EBUSY : err);
    }
    if (sys_.tcgetattr(fd, &saved_) != 0) {
        // Not a terminal device: there is no such serial port.
        sys_.close(fd);
        return errorFromErrno(ENOENT);
    }
    haveSaved_ = true;
    sys_.ioctl(fd, TIOCEXCL, nullptr);
    int lines = 0;
    modemLinesSupported_ = sys_.ioctl(fd, TIOCMGET, &lines) == 0;
    serial_icounter_struct counts{};
    errorCountsSupported_ = sys_.ioctl(fd, TIOCGICOUNT, &counts) == 0;
    for (size_t i = 0; i < lastCounts_.size(); ++i) {
        lastCounts_[i] = counts.*kErrorCounters[i].count;
    }

    block_ = TPxLineBlock();
    block_.baud = baudRate(cfgetospeed(&saved_));
    block_.dataBits = (saved_.c_cflag & CSIZE) == CS5   ? 5
                      : (saved_.c_cflag & CSIZE) == CS6 ? 6
                      : (saved_.c_cflag & CSIZE) == CS7 ? 7
                                                        : 8;
    block_.stopCode = (saved_.c_cflag & CSTOPB) ? kTwoStopBits : kOneStopBit;
    if (saved_.c_cflag & PARENB) {
        block_.parity = (saved_.c_cflag & PARODD) ? kParityOdd : kParityEven;
    }
    block_.xonChar = saved_.c_cc[VSTART];
    block_.xoffChar = saved_.c_cc[VSTOP];
    {
        std::unique_lock lock(deviceLock_);
        fd_ = fd;
    }
    lastLines_ = readModemLines();
    return fd;
}

int TPxPosixDispatcher::closeDevice() {
    stopComAndOutput();
    std::unique_lock lock(deviceLock_);
    const int fd = fd_.exchange(-1);
    if (fd < 0) {
        return ecOK;
    }
    sys_.ioctl(fd, TIOCNXCL, nullptr);
    if (haveSaved_ && deviceError_ == 0) {
        sys_.tcsetattr(fd, &saved_);
    }
    haveSaved_ = false;
    return sys_.close(fd) == 0 ? ecOK : errorFromErrno(errno);
}

int TPxPosixDispatcher::sendLineControl(int code) {
    std::shared_lock lock(deviceLock_);
    if (fd_ < 0) {
        return ecOK;
    }
    int bits = (code == lcSetRts || code == lcClrRts) ? TIOCM_RTS : TIOCM_DTR;
    const bool set = code == lcSetRts || code == lcSetDtr;
    // Devices without modem lines (pseudo-terminals) refuse; nothing to do.
    sys_.ioctl(fd_, set ? TIOCMBIS : TIOCMBIC, &bits);
    return ecOK;
}

int TPxPosixDispatcher::sendBreak(uint32_t ms) {
    {
        std::shared_lock lock(deviceLock_);
        if (fd_ < 0) {
            return ecCommNotOpen;
        }
        if (sys_.ioctl(fd_, TIOCSBRK, nullptr) != 0) {
            return errorFromErrno(errno);
        }
    }
    clock().sleep(ms);
    std::shared_lock lock(deviceLock_);
    if (fd_ >= 0) {
        sys_.ioctl(fd_, TIOCCBRK, nullptr);
    }
    return ecOK;
}

uint8_t TPxPosixDispatcher::readModemLines() {
    if (deviceError_ != 0) {
        return 0;  // an unplugged modem drops every line
    }
    if (!modemLinesSupported_) {
        // No modem lines (a pseudo-terminal): the device is there and ready.
        return msCts | msDsr;
    }
    std::shared_lock lock(deviceLock_);
    int lines = 0;
    if (fd_ < 0 || sys_.ioctl(fd_, TIOCMGET, &lines) != 0) {
        return 0;
    }
    uint8_t status = 0;
    status |= (lines & TIOCM_CTS) ? msCts : 0;
    status |= (lines & TIOCM_DSR) ? msDsr : 0;
    status |= (lines & TIOCM_RNG) ? msRi : 0;
    status |= (lines & TIOCM_CAR) ? msDcd : 0;
    return status;
}

int TPxPosixDispatcher::readLineBlock(TPxLineBlock& block) {
    block = block_;
    return ecOK;
}

int TPxPosixDispatcher::writeLineBlock(const TPxLineBlock& block) {
    speed_t speed;
    if (!baudCode(block.baud, speed)) {
        return ecBaudRate;
    }
    if (block.dataBits < 5 || block.dataBits > 8) {
        return ecByteSize;
    }
    if (block.parity > kParitySpace) {
        return ecDefault;
    }
    termios t = saved_;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= block.dataBits == 5   ? CS5
                 : block.dataBits == 6 ? CS6
                 : block.dataBits == 7 ? CS7
                                       : CS8;
    if (block.stopCode != kOneStopBit) {
        t.c_cflag |= CSTOPB;  // with five data bits the UART sends one and a half
    }
    switch (block.parity) {
        case kParityOdd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case kParityEven:
            t.c_cflag |= PARENB;
            break;
        case kParityMark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case kParitySpace:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (block.parityCheck) {
        t.c_iflag |= INPCK;
    }
    if (block.outxCtsFlow || block.rtsControl == TPxLineBlock::Handshake) {
        t.c_cflag |= CRTSCTS;
    }
    if (block.outX) {
        t.c_iflag |= IXON;
    }
    if (block.inX) {
        t.c_iflag |= IXOFF;
    }
    t.c_cc[VSTART] = block.xonChar;
    t.c_cc[VSTOP] = block.xoffChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    std::shared_lock lock(deviceLock_);
    if (fd_ < 0) {
        return ecCommNotOpen;
    }
    if (sys_.tcsetattr(fd_, &t) != 0) {
        return errorFromErrno(errno);
    }
    block_ = block;
    return ecOK;
}

bool TPxPosixDispatcher::setQueueSizes(uint32_t, uint32_t) {
    // The kernel sizes its tty queues itself.
    return true;
}

int TPxPosixDispatcher::yieldSlice() {
    sched_yield();
    return ecOK;
}

uint32_t TPxPosixDispatcher::readDeviceStatus(TPxDeviceStatus* status) {
    if (status == nullptr) {
        addLogEntry(ltError, lsReadCom, static_cast<uint32_t>(errno));
        return lineErrors();
    }
    int waiting = 0;
    {
        std::shared_lock lock(deviceLock_);
        if (fd_ >= 0 && sys_.ioctl(fd_, FIONREAD, &waiting) != 0) {
            waiting = 0;
        }
    }
    status->inQueue = static_cast<uint32_t>(std::max(waiting, 0));
    status->outQueue = outputCount();
    return lineErrors();
}

int TPxPosixDispatcher::readDevice(uint8_t* buffer, uint32_t size) {
    std::shared_lock lock(deviceLock_);
    if (fd_ < 0) {
        return ecCommNotOpen;
    }
    ssize_t got = sys_.read(fd_, buffer, size);
    if (got < 0) {
        return errno == EAGAIN ? 0 : errorFromErrno(errno);
    }
    return static_cast<int>(got);
}

int TPxPosixDispatcher::purgeQueue(TPxQueue which) {
    if (which == TPxQueue::Input) {
        std::shared_lock lock(deviceLock_);
        if (fd_ >= 0 && sys_.tcflush(fd_, TCIFLUSH) != 0) {
            return errorFromErrno(errno);
        }
        return ecOK;
    }
    if (outThread_ && !outThread_->finished() && !outThread_->isCurrent()) {
        // The output thread may be inside a write: it confirms that it let go
        // of the ring before the indexes are reset.
        const uint64_t before = flushAcks_;
        flushRequest_.set();
        while (flushAcks_ == before && !outThread_->finished()) {
            general_.wait(kFlushAckPollMs);
        }
    }
    {
        std::lock_guard lock(outputLock());
        outputRing().clear();
    }
    std::shared_lock lock(deviceLock_);
    if (fd_ >= 0 && sys_.tcflush(fd_, TCOFLUSH) != 0) {
        return errorFromErrno(errno);
    }
    return ecOK;
}

int TPxPosixDispatcher::queueOutput(const uint8_t* data, uint32_t length) {
    {
        std::lock_guard lock(outputLock());
        if (outputRing().free() < length) {
            return 0;
        }
        outputRing().put(data, length);
    }
    outputEvent_.set();
    return static_cast<int>(length);
}

// ------------------------------------------------------------------- threads

void TPxPosixDispatcher::startThreads() {
    std::lock_guard lock(lineLock());
    if (started_) {
        throw EInternal(ecInternal, "Dispatcher already started");
    }
    started_ = true;
    killed_ = false;
    abandonSends() = false;
    general_.reset();
    comThread_ = std::make_unique<TComThread>(*this);
    dispThread_ = std::make_unique<TDispThread>(*this);
    outThread_ = std::make_unique<TOutThread>(*this);
    for (TPxDispatcherThread* thread : {static_cast<TPxDispatcherThread*>(comThread_.get()),
                                        static_cast<TPxDispatcherThread*>(dispThread_.get()),
                                        static_cast<TPxDispatcherThread*>(outThread_.get())}) {
        thread->start();
        general_.wait(kThreadStartMs);
    }
    setPriorityBoost(boost_);
}

void TPxPosixDispatcher::pumpUntil(const std::function<bool()>& done) {
    TPxEventLoop* loop = eventLoop();
    const bool pump = loop != nullptr && loop->isLoopThread();
    auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (pump) {
            try {
                loop->processEvents();
            } catch (...) {
                // Stopping goes on whatever an event handler did.
                reportHandlerException(std::current_exception());
            }
        }
        // A thread blocked in a call to the application's thread that nobody
        // serves is released after the longest send time.
        if (std::chrono::steady_clock::now() - start >
            std::chrono::milliseconds(kWindowSendTimeoutMs)) {
            abandonSends() = true;
        }
        general_.wait(kStopPumpMs);
    }
}

void TPxPosixDispatcher::stopComAndOutput() {
    if (!started_) {
        return;
    }
    killed_ = true;
    flushRequest_.set();
    wake_.set();
    comDone_.set();
    comEvent_.set();  // the dispatch thread sees the kill at once
    for (TPxDispatcherThread* thread : {static_cast<TPxDispatcherThread*>(outThread_.get()),
                                        static_cast<TPxDispatcherThread*>(comThread_.get())}) {
        if (thread != nullptr && !thread->isCurrent()) {
            pumpUntil([thread] { return thread->finished(); });
            thread->join();
        }
    }
}

void TPxPosixDispatcher::stopThreads() {
    if (!started_) {
        return;
    }
    stopComAndOutput();
    if (dispThread_ && !dispThread_->isCurrent()) {
        TDispThread* thread = dispThread_.get();
        pumpUntil([thread] { return thread->finished(); });
    }
    for (auto* thread : {static_cast<TPxDispatcherThread*>(comThread_.get()),
                         static_cast<TPxDispatcherThread*>(dispThread_.get()),
                         static_cast<TPxDispatcherThread*>(outThread_.get())}) {
        if (thread != nullptr) {
            thread->join();
        }
    }
    comThread_.reset();
    dispThread_.reset();
    outThread_.reset();
    general_.reset();
    comEvent_.reset();
    comDone_.reset();
    outputEvent_.reset();
    flushRequest_.reset();
    wake_.reset();
    pendingMask_ = 0;
    started_ = false;
}

std::vector<int> TPxPosixDispatcher::threadIds() const {
    return {comThread_ ? comThread_->tid() : 0, dispThread_ ? dispThread_->tid() : 0,
            outThread_ ? outThread_->tid() : 0};
}

void TPxPosixDispatcher::setPriorityBoost(int boost) {
    boost_ = boost;
    if (comThread_)
        comThread_->setNice(-boost);
    if (dispThread_)
        dispThread_->setNice(-boost);
    if (outThread_)
        outThread_->setNice(-(boost + (rs485Mode() ? kRs485OutputBoost : 0)));
}

// ------------------------------------------------------- com thread's wait

void TPxPosixDispatcher::noteDeviceLost(int err) {
    int expected = 0;
    if (deviceError_.compare_exchange_strong(expected, err == 0 ? EIO : err)) {
        addLogEntry(ltError, lsLineStatus, static_cast<uint32_t>(deviceError_.load()));
    }
}

void TPxPosixDispatcher::pollModemLines(uint32_t& mask) {
    if (!modemLinesSupported_) {
        return;
    }
    const uint8_t lines = readModemLines();
    const uint8_t changed = lines ^ lastLines_;
    if (changed & msCts)
        mask |= evCts;
    if (changed & msDsr)
        mask |= evDsr;
    if (changed & msDcd)
        mask |= evRlsd;
    if (changed & msRi) {
        mask |= (lines & msRi) ? evRing : evRingTe;
    }
    lastLines_ = lines;
}

void TPxPosixDispatcher::pollLineErrors(uint32_t& mask) {
    if (!errorCountsSupported_) {
        return;
    }
    serial_icounter_struct counts{};
    {
        std::shared_lock lock(deviceLock_);
        if (fd_ < 0 || sys_.ioctl(fd_, TIOCGICOUNT, &counts) != 0) {
            return;
        }
    }
    uint32_t seen = 0;
    for (size_t i = 0; i < lastCounts_.size(); ++i) {
        const int now = counts.*kErrorCounters[i].count;
        if (now != lastCounts_[i]) {
            seen |= kErrorCounters[i].flag;
            lastCounts_[i] = now;
        }
    }
    if (seen != 0) {
        addLineErrors(seen);
        mask |= (seen & leBreak) ? evBreak : 0;
        mask |= (seen & ~leBreak) ? evErr : 0;
    }
}

bool TPxPosixDispatcher::waitLineEvent(uint32_t& mask) {
    mask = 0;
    pollfd fds[2] = {{-1, 0, 0}, {wake_.fd(), POLLIN, 0}};
    {
        std::shared_lock lock(deviceLock_);
        fds[0].fd = fd_;
    }
    // While the receive ring is full, input is not what wakes us: the ring is
    // looked at again after a short wait.
    const bool ringFull = receiveRingFull();
    fds[0].events = ringFull ? 0 : POLLIN;
    const bool polling = modemLinesSupported_ || errorCountsSupported_ || ringFull;
    const int n = sys_.poll(fds, 2, polling ? kLinePollMs : -1);
    if (n < 0) {
        noteDeviceLost(errno);
        mask = evModemLines | evErr;
        return false;
    }
    if (fds[1].revents & POLLIN) {
        wake_.consume();
        return true;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        noteDeviceLost(EIO);
        mask = evModemLines | evErr | evRxChar;
        return false;
    }
    if (fds[0].revents & POLLIN) {
        mask |= evRxChar;
    }
    pollModemLines(mask);
    pollLineErrors(mask);
    return true;
}

// -------------------------------------------------------- output thread's work

void TPxPosixDispatcher::acknowledgeFlush() {
    ++flushAcks_;
    general_.set();
}

bool TPxPosixDispatcher::drainOutput() {
    for (;;) {
        const uint8_t* data;
        size_t length;
        {
            std::lock_guard lock(outputLock());
            length = outputRing().usedRunAtTail();
            data = outputRing().tailPtr();
        }
        if (length == 0) {
            return true;
        }
        ssize_t written;
        int err = 0;
        {
            std::shared_lock lock(deviceLock_);
            written = fd_ >= 0 ? sys_.write(fd_, data, length) : -1;
            err = fd_ >= 0 ? errno : EBADF;
        }
        if (written > 0) {
            std::lock_guard lock(outputLock());
            outputRing().consume(static_cast<size_t>(written));
        } else if (written < 0 && (err == EAGAIN || err == EWOULDBLOCK)) {
            // The device's queue is full: wait until it takes more, unless a
            // flush (purge or stop) comes first.
            pollfd fds[2] = {{-1, POLLOUT, 0}, {flushRequest_.fd(), POLLIN, 0}};
            {
                std::shared_lock lock(deviceLock_);
                fds[0].fd = fd_;
            }
            sys_.poll(fds, 2, -1);
            if (fds[1].revents & POLLIN) {
                flushRequest_.consume();
                acknowledgeFlush();
                return false;
            }
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                std::lock_guard lock(outputLock());
                outputRing().consume(length);
            }
        } else {
            // The device refused the bytes (gone, or an error): they are dropped.
            std::lock_guard lock(outputLock());
            outputRing().consume(length);
        }
        if (rs485Mode()) {
            std::shared_lock lock(deviceLock_);
            if (fd_ >= 0) {
                sys_.tcdrain(fd_);
                int rts = TIOCM_RTS;
                sys_.ioctl(fd_, TIOCMBIC, &rts);
            }
        }
        if (killed()) {
            return false;
        }
    }
}

bool TPxPosixDispatcher::probeDevice(const std::string& path, TPxSysCalls& sys) {
    int fd = sys.open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES || errno == EBUSY;
    }
    termios t{};
    bool terminal = sys.tcgetattr(fd, &t) == 0;
    if (terminal) {
        // A serial driver with no UART behind the node reports the unknown type.
        serial_struct info{};
        if (sys.ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN) {
            terminal = false;
        }
    }
    sys.close(fd);
    return terminal;
}

}  // namespace px
