// SPDX-License-Identifier: GPL-3.0-or-later
// Turning FFmpeg error codes into the "%1(%2)" reports the user sees.
#pragma once

#include <QPair>
#include <QString>
#include <QVector>

// av_strerror text of `code` (64-byte buffer, as FFmpeg formats it); one of
// avTranslatedErrors() comes in the interface language, whatever the process locale.
QString avErrorText(int code);
// "%1(%2)": the step's message directly followed by the error text in parentheses.
QString avErrorReport(const QString &szMessage, int code);
// The codes whose text the catalogues translate (context "AVError"), each with its English text.
QVector<QPair<int, QString>> avTranslatedErrors();
