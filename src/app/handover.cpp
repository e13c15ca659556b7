// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and reading the hand-over message.
#include "handover.h"

#include <QtEndian>

#include <algorithm>

namespace HandOver {
namespace {
constexpr char kMagic[] = {'V', 'M', 'A', 'F'};
constexpr int kMagicBytes = sizeof kMagic;
constexpr quint8 kVersion = 1;

bool isUtf8(const QByteArray &bytes, QString *pText)
{
    // fromUtf8 replaces what it cannot read; a path that does not come back the same was damaged.
    *pText = QString::fromUtf8(bytes);
    return pText->toUtf8() == bytes;
}
} // namespace

QByteArray encode(const QStringList &files)
{
    QByteArray payload;
    for (const QString &szFile : files) {
        payload += szFile.toUtf8();
        payload += '\0';
        if (payload.size() > kMaxPayloadBytes)
            return QByteArray();
    }
    if (payload.isEmpty())
        return QByteArray();
    QByteArray message(kHeaderBytes, '\0');
    std::copy(kMagic, kMagic + kMagicBytes, message.begin());
    message[kMagicBytes] = static_cast<char>(kVersion);
    qToBigEndian(static_cast<quint32>(payload.size()), message.data() + kMagicBytes + 1);
    return message + payload;
}

Status decode(const QByteArray &received, QStringList *pFiles)
{
    pFiles->clear();
    // Anything else is turned away from its first bytes, before it can make us wait.
    const int iMagicSeen = std::min(received.size(), kMagicBytes);
    if (!std::equal(kMagic, kMagic + iMagicSeen, received.constData()))
        return Status::Invalid;
    if (received.size() < kHeaderBytes)
        return Status::Incomplete;
    if (static_cast<quint8>(received.at(kMagicBytes)) != kVersion)
        return Status::Invalid;
    const quint32 uLength = qFromBigEndian<quint32>(received.constData() + kMagicBytes + 1);
    if (uLength == 0 || uLength > quint32(kMaxPayloadBytes))
        return Status::Invalid;
    const int iEnd = kHeaderBytes + static_cast<int>(uLength);
    if (received.size() < iEnd)
        return Status::Incomplete;
    if (received.size() > iEnd || received.at(iEnd - 1) != '\0')
        return Status::Invalid;

    QStringList files;
    int iStart = kHeaderBytes;
    while (iStart < iEnd) {
        const int iNul = received.indexOf('\0', iStart);
        QString szFile;
        if (!isUtf8(received.mid(iStart, iNul - iStart), &szFile) ||
            !szFile.startsWith(QLatin1Char('/')))
            return Status::Invalid;
        files << szFile;
        iStart = iNul + 1;
    }
    *pFiles = files;
    return Status::Complete;
}

} // namespace HandOver
