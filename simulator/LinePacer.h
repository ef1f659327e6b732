// SPDX-License-Identifier: MIT
#pragma once
// Line time of a serial line at a given bit rate: each byte takes 10 bits (start, 8 data, stop).
// The module uses it to make a request count its line time before it is answered, and to send a
// reply no faster than the line could carry it.

#include <chrono>
#include <cstddef>

namespace morlith {

// Bits on the line per byte: start bit, 8 data bits, stop bit.
constexpr unsigned kBitsPerByte = 10;

// The receive and send clocks of a paced line.
class TLinePacer {
public:
    // The clock of every line time.
    using TClock = std::chrono::steady_clock;

    // A line at `bitRate` bit/s; 0 means unpaced (every byte takes no time).
    explicit TLinePacer(unsigned bitRate = 0);

    // True when the line is paced.
    bool Paced() const { return FByteTime.count() > 0; }

    // The line time of one byte.
    TClock::duration ByteTime() const { return FByteTime; }

    // A byte that reached the module at `arrival` has been fully received at the returned time:
    // bytes follow each other on the line, each taking one byte time.
    TClock::time_point Receive(TClock::time_point arrival);

    // When the last of `count` bytes whose sending starts at `start` leaves the line.
    TClock::time_point SendDone(TClock::time_point start, size_t count) const
    {
        return start + FByteTime * long(count);
    }

private:
    TClock::duration FByteTime{0};
    TClock::time_point FReceiveDone{};
};

} // namespace morlith
