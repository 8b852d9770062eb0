#include "tcp_connection.h"

#include "log.h"

namespace tessary::server {

void WriteBatcher::schedule(std::shared_ptr<TcpConnection> connection) {
    dirty_.push_back(std::move(connection));
    if (posted_) return;
    posted_ = true;
    asio::post(io_, [this] { flush(); });
}

void WriteBatcher::flush() {
    posted_ = false;
    flushing_.swap(dirty_);
    for (auto& connection : flushing_) connection->flush();
    flushing_.clear();
}

TcpConnection::TcpConnection(asio::ip::tcp::socket socket, uint64_t id, std::string address, uint16_t port,
                             std::string role, LinkHandler& handler, const ConnectionLimits& limits,
                             WriteBatcher& batcher, EndedCallback ended)
    : ClientLink(id, std::move(address), port),
      socket_(std::move(socket)),
      role_(std::move(role)),
      handler_(handler),
      limits_(limits),
      batcher_(batcher),
      ended_(std::move(ended)),
      reader_(limits.maxFrameBytes),
      bucket_(limits.requestsPerSecond, limits.requestBurst, limits.clock->monotonicMs()),
      lastReceiveMs_(limits.clock->monotonicMs()),
      throttleTimer_(socket_.get_executor()) {}

void TcpConnection::start() {
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    logLine(role_, *this, " connected");
    handler_.linkOpened(shared_from_this());
    startRead();
}

void TcpConnection::startRead() {
    if (!open_ || reading_ || paused_ || throttled_) return;
    reading_ = true;
    socket_.async_read_some(asio::buffer(readBuffer_), [self = shared_from_this()](asio::error_code error, size_t n) {
        self->reading_ = false;
        if (!self->open_) return;
        if (error) {
            self->close(error == asio::error::eof || error == asio::error::connection_reset ? ""
                                                                                             : error.message());
            return;
        }
        self->lastReceiveMs_ = self->limits_.clock->monotonicMs();
        self->reader_.append(self->readBuffer_.data(), n);
        self->handleMessages();
    });
}

void TcpConnection::handleMessages() {
    if (handling_) return;  // resume() from inside a handler: the running loop goes on
    handling_ = true;
    auto self = shared_from_this();
    bool cutOne = false;
    while (open_ && !paused_ && !throttled_) {
        if (!waiting_) {
            protocol::Message message;
            std::string reason;
            const FrameReader::Result result = reader_.next(message, reason);
            if (result == FrameReader::Result::NeedMore) {
                // The deadline of an unfinished frame runs from when its
                // first bytes were seen, not from the last byte.
                if (reader_.buffered() == 0) partialSinceMs_.reset();
                else if (cutOne || !partialSinceMs_) partialSinceMs_ = limits_.clock->monotonicMs();
                break;
            }
            if (result == FrameReader::Result::Error) {
                close(reason);
                break;
            }
            cutOne = true;
            partialSinceMs_.reset();
            waiting_ = std::move(message);
        }
        // The token first: a message that finds the bucket empty waits.
        if (!bucket_.take(limits_.clock->monotonicMs())) {
            throttle();
            break;
        }
        protocol::Message message = std::move(*waiting_);
        waiting_.reset();
        handler_.messageReceived(self, message);
    }
    // While this side holds the reading back, a frame cannot be overdue; its
    // deadline starts again when reading resumes.
    if (paused_ || throttled_) partialSinceMs_.reset();
    handling_ = false;
    startRead();
}

void TcpConnection::throttle() {
    // Too many requests: stop reading until the bucket refills, so the flood
    // backs up in the client's own socket.
    throttled_ = true;
    if (!throttleLogged_) {
        throttleLogged_ = true;
        logLine(role_, *this, " refused: more than " + std::to_string(limits_.requestsPerSecond) +
                           " requests per second, throttled");
    }
    throttleTimer_.expires_after(std::chrono::milliseconds(bucket_.msUntilToken(limits_.clock->monotonicMs())));
    throttleTimer_.async_wait([self = shared_from_this()](asio::error_code error) {
        if (error || !self->open_) return;
        self->throttled_ = false;
        self->handleMessages();
    });
}

void TcpConnection::resume() {
    if (!paused_) return;
    paused_ = false;
    asio::post(socket_.get_executor(), [self = shared_from_this()] { self->handleMessages(); });
}

void TcpConnection::send(SharedFrame frame) {
    if (!open_ || closeWhenSent_ || !frame) return;
    pendingBytes_ += frame->size();
    pending_.push_back(std::move(frame));
    if (pendingBytes_ > limits_.maxPendingSendBytes) {
        close("reads too slowly: " + std::to_string(pendingBytes_) + " bytes waiting to be sent");
        return;
    }
    if (writeActive_ || flushScheduled_) return;  // a running write picks it up when done
    flushScheduled_ = true;
    batcher_.schedule(shared_from_this());
}

void TcpConnection::flush() {
    flushScheduled_ = false;
    startWrite();
}

void TcpConnection::closeAfterSending(std::string_view reason) {
    if (!open_ || closeWhenSent_) return;
    paused_ = true;
    closeWhenSent_ = std::string(reason);
    if (!writeActive_ && !flushScheduled_) startWrite();
}

void TcpConnection::startWrite() {
    if (writeActive_ || !open_) return;
    if (pending_.empty()) {
        if (closeWhenSent_) close(*closeWhenSent_);
        return;
    }
    writeActive_ = true;
    writing_.swap(pending_);
    buffers_.clear();
    for (const SharedFrame& frame : writing_) buffers_.push_back(asio::buffer(*frame));
    asio::async_write(socket_, buffers_, [self = shared_from_this()](asio::error_code error, size_t written) {
        self->writeActive_ = false;
        self->pendingBytes_ -= written;
        self->writing_.clear();
        if (error) {
            self->close(error == asio::error::broken_pipe || error == asio::error::connection_reset
                            ? ""
                            : "write failed: " + error.message());
            return;
        }
        self->startWrite();
    });
}

void TcpConnection::close(std::string_view reason) {
    if (!open_) return;
    open_ = false;
    logLine(role_, *this, (reason.empty() ? " disconnected" : " closed: " + std::string(reason)));
    asio::error_code ignored;
    throttleTimer_.cancel();
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    pending_.clear();
    asio::post(socket_.get_executor(), [self = shared_from_this()] {
        self->handler_.linkClosed(self);
        if (self->ended_) self->ended_();
    });
}

}  // namespace tessary::server
