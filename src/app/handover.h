// SPDX-License-Identifier: GPL-3.0-or-later
// The message in which a second start hands its files to the running instance.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace HandOver {

// Longest list of paths one message carries (bytes of UTF-8). Far beyond any real command line,
// and small enough that a client cannot make the running window hold much memory.
constexpr int kMaxPayloadBytes = 16 * 1024 * 1024;
// "VMAF", a version byte and the payload's length (32 bits, big-endian).
constexpr int kHeaderBytes = 9;

// The message for these files (absolute paths). Each path is UTF-8 followed by a NUL byte, which
// no Linux path contains, so names with newlines or any other character come through unchanged.
// Empty when there is nothing to send or the list is too long for one message.
QByteArray encode(const QStringList &files);

enum class Status
{
    Incomplete, // a message may still follow: wait for more
    Complete,   // *pFiles holds the files
    Invalid,    // not a message of ours, or a damaged one: drop the connection
};

// Reads a message from all the bytes received so far on one connection. Nothing is allocated
// beyond what was received; bytes after the message make it invalid.
Status decode(const QByteArray &received, QStringList *pFiles);

} // namespace HandOver
